// Foundation: count the words of a text with the library's strings, atoms, vectors and hash map.
// Nothing here needs the library to be started.
#include <cstdio>

#include "orvutil/orvutil.h"

int main() {
  Orv::tstring text = Orv::StringFromUTF8("the quick fox; the lazy dog; THE end");
  Orv::ReplaceAll(text, L';', L' ');

  // Each distinct word becomes a small dense number (case folded), usable as a key or an index.
  Orv::CAtomizer words;
  Orv::tMap<unsigned, int> counts;
  Orv::tObjVector<Orv::tstring> parts = Orv::SplitString(text.c_str(), L" ");
  for (unsigned i = 0; i < parts.Count(); ++i) {
    unsigned atom = words.GetAtom(parts[i].c_str(), true);
    if (int* count = counts.FindValue(atom)) {
      ++*count;
    } else {
      counts.Insert(atom, 1);
    }
  }

  // Atoms count up from 0, so they index the words in order of first appearance.
  for (unsigned atom = 0; atom < words.Size(); ++atom) {
    std::printf("%-6ls %d\n", words.GetStr(atom), *counts.FindValue(atom));
  }

  // Strings share their buffer until one of them changes (copy on write).
  Orv::tstring copy = text;
  copy.replace(0, 3, L"a");
  std::printf("original starts \"%ls\", copy starts \"%ls\"\n", text.substr(0, 9).c_str(), copy.substr(0, 7).c_str());

  // Failures are values: an unknown word asked for without adding it is kNoAtom.
  unsigned missing = words.GetAtom(L"cat", true, true);
  return missing == Orv::CAtomizer::kNoAtom && *counts.FindValue(words.GetAtom(L"the", true)) == 3 ? 0 : 1;
}
