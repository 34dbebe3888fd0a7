// CLog: a text log that copies every traced line, byte for byte in UTF-16, to each data writer
// attached to it. No levels, no time stamps, no added line ends: callers write their own "\r\n".
//
// Threading: every operation takes the log's lock while the library runs (between start-up and
// shut-down), so lines traced from several threads never interleave within one writer.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "orvutil/data/readers.h"
#include "orvutil/export.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

class ORV_API CLog {
 public:
  CLog();
  ~CLog();
  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;

  // Opens or creates a file and attaches a writer over it: appending after the existing bytes, or
  // from scratch (truncating). A new or empty file starts with the byte-order mark FF FE. Returns the
  // writer (the log holds its reference), or null.
  IDataWriter* AddFile(const wchar_t* path, bool append);
  // False when the writer is null or attached already.
  bool AddWriter(IDataWriter* writer);
  bool RemoveWriter(IDataWriter* writer);
  void RemoveAllWriters();

  // Writes the text (without its terminator) to every writer in the order they were attached. A
  // writer that fails does not keep the others from the line; the result is false when any failed.
  bool Trace(const wchar_t* text);
  // Formatted with the C runtime's wide printf rules into 1024 characters, truncated.
  bool TraceF(const wchar_t* format, ...);
  bool TraceV(const wchar_t* format, va_list args);
  // `count` spaces, at most 127.
  bool TraceSpaces(unsigned count);

  // Debug-build tracing entry points; the library sends them to the debugger's output in debug
  // builds and drops them otherwise.
  static void DebugTrace(const wchar_t* text);
  static void DebugTraceF(const wchar_t* format, ...);
  static void DebugTraceV(const wchar_t* format, va_list args);

 private:
  CRITICAL_SECTION m_lock;
  tSmartPtrVector<IDataWriter>* m_writers = nullptr;
};

}  // namespace Orv
