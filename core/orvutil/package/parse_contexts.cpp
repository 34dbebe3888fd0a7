// The contexts of the package language: top-level statements, parameter lists, member names and
// the braced value lists.
#include "orvutil/foundation/strings.h"
#include "parser_impl.h"

namespace Orv {
namespace Detail {

namespace {

CPackageParser& Of(IPackageParser* parser) { return *static_cast<CPackageParser*>(parser); }

// `{` opens the list once; `}` ends it; `accept` takes every other token or fails the list.
template <class Accept>
IParseContext::EResult ParseList(CPackageParser& parser, bool& open, Accept accept) {
  Token const& token = parser.Current();
  if (!open) {
    open = token.kind == eTokenOpenBrace;
    return open ? IParseContext::eContinue : IParseContext::eFailed;
  }
  if (token.kind == eTokenCloseBrace) return IParseContext::eDone;
  return accept(token) ? IParseContext::eContinue : IParseContext::eFailed;
}

}  // namespace

IParseContext::EResult ParseNewObject(CPackageParser& parser, CNewObjectContext& object) {
  if (!parser.EnterObject()) return IParseContext::eFailed;  // on `new`: the position names the level
  parser.Advance();
  bool done = parser.Run(&object);
  parser.LeaveObject();
  return done ? IParseContext::eContinue : IParseContext::eFailed;
}

IParseContext::EResult CRootContext::Parse(IPackageParser* p) {
  CPackageParser& parser = Of(p);
  Token const& token = parser.Current();
  if (token.kind == eTokenEnd) return eDone;
  if (parser.IsWord(token, L"new") && parser.Next().kind == eTokenIdentifier) {
    CNewObjectContext object(nullptr);
    return ParseNewObject(parser, object);
  }
  if (parser.IsWord(token, L"import") && parser.Next().kind == eTokenOpenBrace) {
    parser.Advance();
    CStringValueContext paths;
    if (!parser.Run(&paths)) return eFailed;
    for (unsigned int i = 0; i < paths.values.Count(); ++i) {
      if (!parser.Import(paths.values[i])) return eFailed;
    }
    return eContinue;
  }
  return eFailed;
}

IParseContext::EResult CObjectParamsContext::Parse(IPackageParser* p) {
  Token const& token = Of(p).Current();
  if (m_step == 0) {
    m_step = 1;
    return token.kind == eTokenOpenParen ? eContinue : eFailed;
  }
  if (token.kind == eTokenCloseParen) return eDone;
  if (token.kind != eTokenString || m_step > 2) return eFailed;
  if (m_step++ == 1) {
    m_name = token.GetSpelling();
    return eContinue;
  }
  tstring text = token.GetSpelling();
  if (text.size() == 36) text = tstring(L"{") + text + L"}";
  return StringToGUID(text.c_str(), m_id) ? eContinue : eFailed;
}

IParseContext::EResult CVariableNameContext::Parse(IPackageParser* p) {
  CPackageParser& parser = Of(p);
  Token const& token = parser.Current();
  if (token.kind != eTokenIdentifier) return eFailed;
  if (!m_type.empty()) {
    m_name = token.GetSpelling();
    return eDone;
  }
  bool known = parser.IsWord(token, L"int") || parser.IsWord(token, L"float") || parser.IsWord(token, L"string") ||
               parser.IsWord(token, L"obj");
  if (!known) return eFailed;
  m_type = token.GetSpelling();
  return eContinue;
}

IParseContext::EResult CIntValueContext::Parse(IPackageParser* p) {
  return ParseList(Of(p), m_open, [this](Token const& token) {
    int value = 0;
    return token.kind == eTokenInteger && ReadPackageInt(token.GetSpelling().c_str(), value) &&
           values.PushBack(value);
  });
}

IParseContext::EResult CFloatValueContext::Parse(IPackageParser* p) {
  return ParseList(Of(p), m_open, [this](Token const& token) {
    float value = 0;
    return (token.kind == eTokenFloat || token.kind == eTokenInteger) &&
           ReadPackageFloat(token.GetSpelling().c_str(), value) && values.PushBack(value);
  });
}

IParseContext::EResult CStringValueContext::Parse(IPackageParser* p) {
  return ParseList(Of(p), m_open,
                   [this](Token const& token) { return token.kind == eTokenString && values.PushBack(token.GetSpelling()); });
}

IParseContext::EResult CObjectValueContext::Parse(IPackageParser* p) {
  CPackageParser& parser = Of(p);
  Token const& token = parser.Current();
  if (!m_open || token.kind == eTokenCloseBrace) return ParseList(parser, m_open, [](Token const&) { return false; });
  if (parser.IsWord(token, L"new") && parser.Next().kind == eTokenIdentifier) {
    CNewObjectContext object(nullptr);
    EResult result = ParseNewObject(parser, object);
    if (result != eContinue) return result;
    return object.GetMainObject() && values.PushBack(tSmartPtr<IUnknown>(object.GetMainObject())) ? eContinue
                                                                                                  : eFailed;
  }
  tSmartPtr<IUnknown> object;
  if (token.kind != eTokenString || !ResolveObjectReference(parser, token.GetSpelling(), object.Receive())) {
    return eFailed;
  }
  return values.PushBack(object) ? eContinue : eFailed;
}

}  // namespace Detail
}  // namespace Orv
