// CanonicalizePath: canonical path text, worked out on the text alone.
#include "orvutil/foundation/paths.h"

#include "orvutil/foundation/strings.h"
#include "orvutil/foundation/vector.h"
#include "../detail/path_chars.h"

namespace Orv {

namespace {

using size_type = tstring::size_type;

bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

// One component of the path: `length` characters at `start` of the source text.
struct SPart {
  const wchar_t* start;
  size_type length;

  bool Is(const wchar_t* text, size_type n) const {
    if (length != n) return false;
    for (size_type i = 0; i < n; ++i) {
      if (start[i] != text[i]) return false;
    }
    return true;
  }
  bool IsDot() const { return Is(L".", 1); }
  bool IsDotDot() const { return Is(L"..", 2); }
  bool IsDrive() const { return length == 2 && Detail::IsAsciiLetter(start[0]) && start[1] == L':'; }
};

// Most paths have few components: that many are held inside the array without allocating.
using tPartVector = tVectorPOD<SPart, 32>;

// What comes before the components, and how many leading components form the root that ".."
// cannot climb above. `absolute` says whether a ".." at the root is dropped (it names the root
// itself) rather than kept (a relative path going up from where it starts).
struct SPrefix {
  const wchar_t* text;
  unsigned rootParts;
  bool absolute;
  bool drive;  // the path starts with a drive letter and colon
};

// Works out the prefix from the leading separators at `*s` and moves `*s` to the first component.
SPrefix ReadPrefix(const wchar_t** s, bool longForm) {
  const wchar_t* p = *s;
  unsigned separators = 0;
  while (Detail::IsPathSeparator(p[separators])) ++separators;
  if (separators == 0) {
    if (Detail::IsAsciiLetter(p[0]) && p[1] == L':') return {longForm ? L"\\\\?\\" : L"", 1, true, true};
    return {L"", 0, false, false};
  }
  *s = p + separators;
  if (separators == 1) return {L"\\", 0, true, false};
  if ((*s)[0] == L'.' && Detail::IsPathSeparator((*s)[1])) {
    *s += 2;
    return {L"\\\\.\\", 1, true, false};
  }
  return {longForm ? L"\\\\?\\UNC\\" : L"\\\\", 2, true, false};
}

// Cuts `s` into components at runs of separators and trims the trailing white space of the last.
bool SplitParts(const wchar_t* s, tPartVector& parts) {
  while (*s) {
    while (Detail::IsPathSeparator(*s)) ++s;
    if (!*s) break;
    const wchar_t* start = s;
    while (*s && !Detail::IsPathSeparator(*s)) ++s;
    size_type length = static_cast<size_type>(s - start);
    if (!parts.PushBack(SPart{start, length})) return false;
  }
  // A last component of white space only vanishes, and so do the separators before it.
  while (parts.Count()) {
    SPart& last = parts.Back();
    while (last.length && IsWhiteSpace(last.start[last.length - 1])) --last.length;
    if (last.length) break;
    parts.PopBack();
  }
  return true;
}

// Drops "." components and resolves ".." ones in place. A ".." removes the component before it,
// but never a root component (drive, UNC server and share, device) nor another ".."; one that
// cannot go up is dropped in an absolute path (the parent of a root is the root) and kept in a
// relative one.
void ResolveParts(tPartVector& parts, const SPrefix& prefix) {
  unsigned kept = 0;
  for (unsigned i = 0; i < parts.Count(); ++i) {
    const SPart part = parts[i];
    if (part.IsDot()) continue;
    if (part.IsDotDot()) {
      if (kept > prefix.rootParts && !parts[kept - 1].IsDotDot()) {
        --kept;
        continue;
      }
      if (prefix.absolute) continue;
    }
    parts[kept++] = part;
  }
  parts.Resize(kept);
}

tstring JoinParts(const wchar_t* prefix, const tPartVector& parts) {
  tstring result(prefix);
  for (unsigned i = 0; i < parts.Count(); ++i) {
    if (i) result += L'\\';
    result.append(parts[i].start, parts[i].length);
  }
  return result;
}

}  // namespace

tstring CanonicalizePath(wchar_t const* path, bool longForm, bool foldCase) {
  if (!path || !path[0]) return tstring();
  const wchar_t* s = path;
  while (IsWhiteSpace(*s)) ++s;
  tstring result;
  if (s[0] == L'\\' && s[1] == L'\\' && s[2] == L'?' && s[3] == L'\\') {
    result = s;  // already in the long form: taken as it is
  } else {
    SPrefix prefix = ReadPrefix(&s, longForm);
    tPartVector parts;
    if (!SplitParts(s, parts)) return tstring();
    // "C:dir" is relative to the drive's current directory: only a bare "C:" component is a root.
    if (prefix.drive && (!parts.Count() || !parts[0].IsDrive())) prefix = {prefix.text, 0, false, false};
    ResolveParts(parts, prefix);
    result = JoinParts(prefix.text, parts);
  }
  if (foldCase && !result.empty()) CanonicalizeStringInPlace(result.begin(), result.size());
  return result;
}

}  // namespace Orv
