# Compile and link options shared by every target of the project (interface target orv_options).
add_library(orv_options INTERFACE)

target_compile_definitions(orv_options INTERFACE
  UNICODE _UNICODE
  _WIN32_WINNT=0x0601 WINVER=0x0601 NTDDI_VERSION=0x06010000
  WIN32_LEAN_AND_MEAN NOMINMAX)

target_compile_options(orv_options INTERFACE
  -Wall -Wextra
  # Structured exceptions are turned into C++ exceptions at the faulting instruction,
  # so every instruction that may fault must be able to unwind.
  $<$<COMPILE_LANGUAGE:CXX>:-fnon-call-exceptions>
  # Tight loops start on a 32-byte boundary: otherwise the same loop can run at half speed
  # or full speed depending only on where the linker happened to place it.
  -falign-loops=32
  $<$<BOOL:${ORV_WERROR}>:-Werror>)

# libgcc, libstdc++ and winpthread are linked into every binary: orvutil.dll and the programs
# built on it import only system DLLs.
target_link_options(orv_options INTERFACE -static)

if(ORV_ARCH STREQUAL "i686")
  # Entry points such as DllGetClassObject are __stdcall: export them without the @N suffix.
  target_link_options(orv_options INTERFACE -Wl,--kill-at)
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
