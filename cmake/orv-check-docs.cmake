# Fails unless the page ORV_PAGE holds the whole text of ORV_SOURCE as a ```cpp block; touches
# ORV_STAMP when it does.
file(READ ${ORV_PAGE} page)
file(READ ${ORV_SOURCE} source)
string(FIND "${page}" "```cpp\n${source}```" at)
if(at EQUAL -1)
  get_filename_component(name ${ORV_SOURCE} NAME)
  message(FATAL_ERROR "${ORV_PAGE} does not quote ${name} as it is: copy the file into its ```cpp block")
endif()
file(TOUCH ${ORV_STAMP})
