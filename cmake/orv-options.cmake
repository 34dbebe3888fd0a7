# Compile and link options shared by every target of the project (interface target orv_options).
# The ORV_USAGE_* lists are also what the installed package hands to the programs and plug-ins built
# on the library (core/orvutil/CMakeLists.txt): the public headers need the wide-character Win32
# names, Windows 7 declarations and no min/max macros.
add_library(orv_options INTERFACE)

set(ORV_USAGE_DEFINITIONS
  UNICODE _UNICODE
  _WIN32_WINNT=0x0601 WINVER=0x0601 NTDDI_VERSION=0x06010000
  WIN32_LEAN_AND_MEAN NOMINMAX)
# Structured exceptions are turned into C++ exceptions at the faulting instruction,
# so every instruction that may fault must be able to unwind.
set(ORV_USAGE_OPTIONS $<$<COMPILE_LANGUAGE:CXX>:-fnon-call-exceptions>)
# libgcc, libstdc++ and winpthread are linked into every binary: orvutil.dll and the programs
# built on it import only system DLLs.
set(ORV_USAGE_LINK_OPTIONS -static)
if(ORV_ARCH STREQUAL "i686")
  # Entry points such as DllGetClassObject are __stdcall: export them without the @N suffix.
  list(APPEND ORV_USAGE_LINK_OPTIONS -Wl,--kill-at)
endif()

target_compile_definitions(orv_options INTERFACE ${ORV_USAGE_DEFINITIONS})

target_compile_options(orv_options INTERFACE
  -Wall -Wextra
  ${ORV_USAGE_OPTIONS}
  # Tight loops start on a 32-byte boundary: otherwise the same loop can run at half speed
  # or full speed depending only on where the linker happened to place it.
  -falign-loops=32
  $<$<BOOL:${ORV_WERROR}>:-Werror>)

target_link_options(orv_options INTERFACE ${ORV_USAGE_LINK_OPTIONS})

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
