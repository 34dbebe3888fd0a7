// CLog: the writer list and the traced lines.
#include "orvutil/diag/log.h"

#include <cwchar>

#include "orvutil/com/module.h"
#include "orvutil/data/encodings.h"
#include "orvutil/system/file.h"
#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

constexpr unsigned kLineChars = 1024;
constexpr unsigned kSpacesChars = 128;
constexpr DWORD kSpinCount = 3000;

}  // namespace

CLog::CLog() { InitializeCriticalSectionEx(&m_lock, kSpinCount, 0); }

CLog::~CLog() {
  RemoveAllWriters();
  DeleteCriticalSection(&m_lock);
}

IDataWriter* CLog::AddFile(const wchar_t* path, bool append) {
  tSmartPtr<IDataFile> file;
  if (!path || !CreateDataFile(path, false, file.Receive())) return nullptr;
  unsigned start = ~0u;
  if (append) {
    tSmartPtr<IDataWriter> probe;
    if (!CreateDataWriter(file, 0, probe.Receive())) return nullptr;
    start = probe->GetSize();
  }
  tSmartPtr<IDataWriter> writer;
  if (!CreateDataWriter(file, start == 0 ? ~0u : start, writer.Receive())) return nullptr;
  if (start == ~0u || start == 0) {
    if (!WriteUnicodeBOM(writer)) return nullptr;
  }
  AddWriter(writer);
  return writer;
}

bool CLog::AddWriter(IDataWriter* writer) {
  if (!writer) return false;
  CScopeCriticalSection guard(m_lock);
  if (!m_writers) m_writers = new tSmartPtrVector<IDataWriter>();
  for (unsigned i = 0; i < m_writers->Count(); ++i) {
    if ((*m_writers)[i].Get() == writer) return false;
  }
  return m_writers->PushBack(tSmartPtr<IDataWriter>(writer));
}

bool CLog::RemoveWriter(IDataWriter* writer) {
  CScopeCriticalSection guard(m_lock);
  if (!writer || !m_writers) return false;
  for (unsigned i = 0; i < m_writers->Count(); ++i) {
    if ((*m_writers)[i].Get() == writer) {
      m_writers->Erase(i, 1);
      return true;
    }
  }
  return false;
}

void CLog::RemoveAllWriters() {
  tSmartPtrVector<IDataWriter>* writers;
  {
    CScopeCriticalSection guard(m_lock);
    writers = m_writers;
    m_writers = nullptr;
  }
  delete writers;
}

bool CLog::Trace(const wchar_t* text) {
  if (!text) return true;
  CScopeCriticalSection guard(m_lock);
  if (!m_writers) return true;
  unsigned bytes = static_cast<unsigned>(wcslen(text) * sizeof(wchar_t));
  bool all = true;
  for (unsigned i = 0; i < m_writers->Count(); ++i) all &= (*m_writers)[i]->Write(text, bytes);
  return all;
}

bool CLog::TraceV(const wchar_t* format, va_list args) {
  if (!format) return true;
  wchar_t line[kLineChars];
  line[0] = L'\0';
  _vsnwprintf_s(line, kLineChars, _TRUNCATE, format, args);
  return Trace(line);
}

bool CLog::TraceF(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  bool traced = TraceV(format, args);
  va_end(args);
  return traced;
}

bool CLog::TraceSpaces(unsigned count) {
  wchar_t spaces[kSpacesChars];
  spaces[0] = L'\0';
  _snwprintf_s(spaces, kSpacesChars, _TRUNCATE, L"%*s", static_cast<int>(count < kSpacesChars ? count : kSpacesChars),
               L"");
  return Trace(spaces);
}

void CLog::DebugTrace(const wchar_t* text) {
  if (text && GetOrvutilModule().IsDebugBuild()) OutputDebugStringW(text);
}

void CLog::DebugTraceV(const wchar_t* format, va_list args) {
  if (!format || !GetOrvutilModule().IsDebugBuild()) return;
  wchar_t line[kLineChars];
  line[0] = L'\0';
  _vsnwprintf_s(line, kLineChars, _TRUNCATE, format, args);
  OutputDebugStringW(line);
}

void CLog::DebugTraceF(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  DebugTraceV(format, args);
  va_end(args);
}

}  // namespace Orv
