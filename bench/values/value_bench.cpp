// Creating and releasing values against std::make_shared of a std::variant, and converting between
// numbers and text against calling wcstod and _snwprintf_s directly.
#include <cwchar>
#include <memory>
#include <string>
#include <variant>

#include "../harness.h"
#include "orvutil/threads.h"
#include "orvutil/values.h"

namespace {

using Variant = std::variant<int, double, std::wstring>;
const unsigned kPerCall = 1000;

}  // namespace

ORV_BENCHMARK(ValueCreate) {
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);  // as in a started host
  Orv::tstring text(L"a value text");
  unsigned sink = 0;
  OrvBench::Compare(
      "CValue.CreateInt/Double/String + Release x1000", "std::make_shared<std::variant>",
      [&] {
        for (unsigned i = 0; i < kPerCall; ++i) {
          Orv::CValue *a, *b, *c;
          Orv::CValue::CreateInt(static_cast<int>(i), &a);
          Orv::CValue::CreateDouble(i * 0.5, &b);
          Orv::CValue::CreateString(text, &c);
          sink += a->AsInt();
          a->Release();
          b->Release();
          c->Release();
        }
      },
      [&] {
        for (unsigned i = 0; i < kPerCall; ++i) {
          auto a = std::make_shared<Variant>(static_cast<int>(i));
          auto b = std::make_shared<Variant>(i * 0.5);
          auto c = std::make_shared<Variant>(std::wstring(L"a value text"));
          sink += std::get<int>(*a);
        }
      });
  OrvBench::KeepAlive(sink);
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
}

ORV_BENCHMARK(ValueConvertText) {
  Orv::CValue* text;
  Orv::CValue::CreateString(L"12345.678", &text);
  Orv::CValue* number;
  Orv::CValue::CreateDouble(12345.678, &number);
  double sum = 0;
  OrvBench::Compare(
      "CValue.Convert String->Double", "wcstod",
      [&] {
        Orv::CValue* out;
        text->Convert(Orv::CValue::eDouble, &out);
        sum += out->AsDouble();
        out->Release();
      },
      [&] {
        wchar_t* end;
        sum += wcstod(L"12345.678", &end);
      });
  OrvBench::Compare(
      "CValue.Convert Double->String", "_snwprintf_s %g",
      [&] {
        Orv::CValue* out;
        number->Convert(Orv::CValue::eString, &out);
        sum += out->AsString()[0];
        out->Release();
      },
      [&] {
        wchar_t buffer[256];
        _snwprintf_s(buffer, 256, _TRUNCATE, L"%g", 12345.678);
        sum += buffer[0];
      });
  OrvBench::KeepAlive(sum);
  text->Release();
  number->Release();
}
