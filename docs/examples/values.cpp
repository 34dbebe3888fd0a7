// Values: typed values in a dictionary with a parent for defaults, conversions, and the
// dictionary's persisted form.
#include <cstdio>

#include "orvutil/orvutil.h"

int main() {
  // Defaults live in a parent; the child's own entries hide them.
  Orv::CDict defaults;
  defaults.SetInt(defaults.GetAtom(L"width", false), 640);
  defaults.SetString(defaults.GetAtom(L"title", false), Orv::tstring(L"untitled"));
  Orv::CDict options(&defaults);
  options.SetInt(options.GetAtom(L"width", false), 800);

  unsigned width = options.GetAtom(L"width", true);
  unsigned title = options.GetAtom(L"title", true);
  std::printf("width %d, title %ls\n", options.GetInt(width, 0), options.GetString(title, Orv::tstring()).c_str());

  // Values are created with one reference for the caller; a String converts to an Int when it parses.
  Orv::tSmartPtr<Orv::CValue> text, number;
  if (!Orv::CValue::CreateString(L"1234", text.Receive()) || !text->Convert(Orv::CValue::eInt, number.Receive())) {
    return 1;
  }
  std::printf("\"%ls\" as int: %d\n", text->AsString(), number->AsInt());
  options.SetValue(L"count", number);

  // Save only the child's own entries, then load them into a fresh dictionary.
  Orv::tSmartPtr<Orv::ISavedData> saved;
  Orv::CDict copy;
  if (!Orv::SaveDict(options, false, saved.Receive()) || !Orv::LoadDict(saved, copy)) return 1;
  std::printf("saved %u bytes; loaded %u entries, count = %d\n", saved->GetLoadedSize(), copy.GetCount(),
              copy.GetInt(copy.GetAtom(L"count", true), -1));
  return copy.GetCount() == 2 && copy.GetInt(width, 0) == 800 ? 0 : 1;
}
