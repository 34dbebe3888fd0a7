// Test support: a writer and a reader that fail part-way, as a full disk or a broken medium would.
#pragma once

#include "orvutil/com/comobject.h"
#include "orvutil/data.h"
#include "orvutil/foundation/smartptr.h"

namespace OrvTest {

// A writer into a new data vector that takes `limit` bytes in all (counted over every write, also
// rewrites after SetPos); a write that would pass the limit writes nothing and fails, and so does
// every later one. `written` receives the vector; `total` (when given) counts the bytes offered.
Orv::tSmartPtr<Orv::IDataWriter> FailingWriter(unsigned limit, Orv::tSmartPtr<Orv::IDataVector>* written = nullptr,
                                               unsigned* total = nullptr);

// A reader over `data` whose size tells the whole block but whose reads (and saved data made from
// it) fail where they would reach past `limit`.
Orv::tSmartPtr<Orv::IDataReader> FailingReader(Orv::IData* data, unsigned limit);

}  // namespace OrvTest
