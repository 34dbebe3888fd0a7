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
};

// Most paths have few components: that many are held inside the array without allocating.
using tPartVector = tVectorPOD<SPart, 32>;

SPart TrimmedEnd(SPart part) {
  while (part.length && IsWhiteSpace(part.start[part.length - 1])) --part.length;
  return part;
}

// What comes before the components: the prefix text, for a drive-relative path its drive ("C:",
// two characters of the source), and how many leading components form the root (drive, UNC server
// and share, device), which are names as they stand and which ".." cannot climb above. `absolute`
// says whether a ".." at the root is dropped (it names the root itself) rather than kept (a path
// going up from where it starts).
struct SPrefix {
  const wchar_t* text;
  const wchar_t* drive;
  unsigned rootParts;
  bool absolute;

  bool IsRelative() const { return !absolute && !drive; }
};

// Works out the prefix from the start of `*s` and moves `*s` to the first component.
SPrefix ReadPrefix(const wchar_t** s, bool longForm) {
  const wchar_t* p = *s;
  unsigned separators = 0;
  while (Detail::IsPathSeparator(p[separators])) ++separators;
  if (separators == 0) {
    if (!Detail::StartsWithDrive(p)) return {L"", nullptr, 0, false};
    // "C:" alone or before a separator is the drive's root, the first component; "C:dir" is
    // relative to the drive's current directory and keeps its drive in front.
    if (!p[2] || Detail::IsPathSeparator(p[2])) return {longForm ? L"\\\\?\\" : L"", nullptr, 1, true};
    *s = p + 2;
    return {L"", p, 0, false};
  }
  *s = p + separators;
  if (separators == 1) return {L"\\", nullptr, 0, true};
  if ((*s)[0] == L'.' && Detail::IsPathSeparator((*s)[1])) {
    *s += 2;
    return {L"\\\\.\\", nullptr, 1, true};
  }
  return {longForm ? L"\\\\?\\UNC\\" : L"\\\\", nullptr, 2, true};
}

// Cuts `s` into components at runs of separators.
bool SplitParts(const wchar_t* s, tPartVector& parts) {
  while (*s) {
    while (Detail::IsPathSeparator(*s)) ++s;
    if (!*s) break;
    const wchar_t* start = s;
    while (*s && !Detail::IsPathSeparator(*s)) ++s;
    if (!parts.PushBack(SPart{start, static_cast<size_type>(s - start)})) return false;
  }
  return true;
}

// Appends `part` to the `kept` components at the front of `parts`, resolving it: "." goes; ".."
// removes the component before it, but never a root component nor another ".."; one that cannot
// go up is dropped in an absolute path and kept in a relative one. Root components are kept as
// they stand.
void KeepPart(tPartVector& parts, unsigned& kept, SPart part, const SPrefix& prefix) {
  if (!part.length) return;
  if (kept >= prefix.rootParts) {
    if (part.IsDot()) return;
    if (part.IsDotDot()) {
      if (kept > prefix.rootParts && !parts[kept - 1].IsDotDot()) {
        --kept;
        return;
      }
      if (prefix.absolute) return;
    }
  }
  parts[kept++] = part;
}

// Resolves the components in place. White space at the end of the path goes after that, and
// what that uncovers (a last component ".. " becomes "..") is resolved in turn.
void ResolveParts(tPartVector& parts, const SPrefix& prefix) {
  unsigned kept = 0;
  for (unsigned i = 0; i < parts.Count(); ++i) KeepPart(parts, kept, parts[i], prefix);
  while (kept) {
    SPart last = parts[kept - 1];
    SPart trimmed = TrimmedEnd(last);
    if (trimmed.length == last.length) break;
    --kept;
    KeepPart(parts, kept, trimmed, prefix);
  }
  parts.Resize(kept);
}

// A relative path whose first component starts with a drive or white space would be read back as
// another kind of path, or trimmed: such a component keeps a "." component before it.
bool NeedsDotPrefix(const tPartVector& parts, const SPrefix& prefix) {
  if (!prefix.IsRelative() || !parts.Count()) return false;
  const SPart& first = parts[0];
  return IsWhiteSpace(first.start[0]) || (first.length >= 2 && Detail::StartsWithDrive(first.start));
}

tstring JoinParts(const SPrefix& prefix, const tPartVector& parts) {
  tstring result(prefix.text);
  if (prefix.drive) result.append(prefix.drive, 2);
  if (NeedsDotPrefix(parts, prefix)) result += L".\\";
  for (unsigned i = 0; i < parts.Count(); ++i) {
    if (i) result += L'\\';
    result.append(parts[i].start, parts[i].length);
  }
  // A drive-relative path that resolves to the drive's current directory: "C:" would be its root.
  if (prefix.drive && !parts.Count()) result += L'.';
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
    ResolveParts(parts, prefix);
    result = JoinParts(prefix, parts);
  }
  if (foldCase && !result.empty()) CanonicalizeStringInPlace(result.begin(), result.size());
  return result;
}

}  // namespace Orv
