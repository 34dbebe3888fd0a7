// Shared strings against std::wstring: copying (a shared record against a deep copy), the deferred
// cost of sharing (copy, then write one character), making short strings, appending characters one
// at a time and searching a long text.
#include <string>

#include "../harness.h"
#include "orvutil/foundation.h"

ORV_BENCHMARK(TStringCopy) {
  const Orv::tstring ours(64, L'a');
  const std::wstring peer(64, L'a');
  OrvBench::Compare(
      "tstring.copy_destroy_64", "std::wstring",
      [&] {
        Orv::tstring copy(ours);
        OrvBench::KeepAlive(copy);
      },
      [&] {
        std::wstring copy(peer);
        OrvBench::KeepAlive(copy);
      });
}

// A shared string pays for its copy at the first write: the record and buffer are made then.
ORV_BENCHMARK(TStringCopyThenWrite) {
  const Orv::tstring ours(64, L'a');
  const std::wstring peer(64, L'a');
  OrvBench::Compare(
      "tstring.copy_write1_destroy_64", "std::wstring",
      [&] {
        Orv::tstring copy(ours);
        copy[0] = L'b';
        OrvBench::KeepAlive(copy);
      },
      [&] {
        std::wstring copy(peer);
        copy[0] = L'b';
        OrvBench::KeepAlive(copy);
      });
}

ORV_BENCHMARK(TStringConstructShort) {
  const wchar_t* text = L"short text";
  OrvBench::Compare(
      "tstring.construct_destroy_10", "std::wstring (SSO)",
      [&] {
        Orv::tstring s(text);
        OrvBench::KeepAlive(s);
      },
      [&] {
        std::wstring s(text);
        OrvBench::KeepAlive(s);
      });
}

ORV_BENCHMARK(TStringAppendChars) {
  OrvBench::Compare(
      "tstring.push_back_10000", "std::wstring",
      [] {
        Orv::tstring s;
        for (int i = 0; i < 10000; ++i) s += static_cast<wchar_t>(L'a' + (i & 15));
        OrvBench::KeepAlive(s);
      },
      [] {
        std::wstring s;
        for (int i = 0; i < 10000; ++i) s += static_cast<wchar_t>(L'a' + (i & 15));
        OrvBench::KeepAlive(s);
      });
}

// Appending into room already reserved: the cost of one character without growth.
ORV_BENCHMARK(TStringAppendCharsReserved) {
  Orv::tstring ours;
  std::wstring peer;
  ours.reserve(10000);
  peer.reserve(10000);
  OrvBench::Compare(
      "tstring.push_back_10000 into reserved", "std::wstring",
      [&] {
        ours.resize(0);
        for (int i = 0; i < 10000; ++i) ours.push_back(static_cast<wchar_t>(L'a' + (i & 15)));
        OrvBench::KeepAlive(ours);
      },
      [&] {
        peer.resize(0);
        for (int i = 0; i < 10000; ++i) peer.push_back(static_cast<wchar_t>(L'a' + (i & 15)));
        OrvBench::KeepAlive(peer);
      });
}

ORV_BENCHMARK(TStringFind) {
  std::wstring text;
  for (int i = 0; i < 100000; ++i) text += static_cast<wchar_t>(L'a' + (i * 7 + i / 13) % 26);
  text.replace(text.size() - 5, 5, L"QWERT");
  const Orv::tstring ours(text.c_str(), static_cast<unsigned>(text.size()));
  OrvBench::Compare(
      "tstring.find_5_in_100000", "std::wstring::find",
      [&] { OrvBench::KeepAlive(ours.find(L"QWERT")); }, [&] { OrvBench::KeepAlive(text.find(L"QWERT")); });
}
