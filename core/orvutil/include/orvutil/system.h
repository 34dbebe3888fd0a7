// System: files and mapped views, file-system operations, directories and known folders, path
// tests and file-name cleaning, the temporary-file area, GDI handle destroyers,
// and registry keys and values.
#pragma once

#include "orvutil/system/file.h"
#include "orvutil/system/filesystem.h"
#include "orvutil/system/directories.h"
#include "orvutil/system/pathnames.h"
#include "orvutil/system/tempfiles.h"
#include "orvutil/system/gdihandles.h"
#include "orvutil/system/registry.h"
