// Data and persistence: data blocks and data files, readers and writers, the record encodings,
// zlib compression, saved data and IStream access to blocks.
#pragma once

#include "orvutil/data/blocks.h"
#include "orvutil/data/readers.h"
#include "orvutil/data/encodings.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/data/async_loader.h"
