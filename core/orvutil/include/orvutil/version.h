// Version and identity of orvutil.dll. Plain preprocessor text: the version resource includes
// this header too.
#pragma once

#define ORVUTIL_VERSION_MAJOR 3
#define ORVUTIL_VERSION_MINOR 0
#define ORVUTIL_VERSION_PATCH 0
#define ORVUTIL_VERSION_BUILD 0
#define ORVUTIL_VERSION_TEXT "3.0.0.0"

// The library's module GUID, in registry form. Module identity reads it back from the
// "GUID" value of the version resource.
#define ORVUTIL_MODULE_GUID_TEXT "{D06ABA89-ADF3-4500-9550-13EC8A643DB7}"

#define ORVUTIL_INTERNAL_NAME "orvutil"
#define ORVUTIL_FILE_NAME "orvutil.dll"
