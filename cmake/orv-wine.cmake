# Running the project's Windows programs under Wine (64-bit builds only: 32-bit code cannot run here).
set(ORV_WINE_RUN ${PROJECT_SOURCE_DIR}/tools/wine-run)

if(ORV_ARCH STREQUAL "x86_64")
  set(ORV_CAN_RUN ON)
else()
  set(ORV_CAN_RUN OFF)
endif()
