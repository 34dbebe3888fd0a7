// The package language: text that builds a package. Top-level statements are `import { "path" ... }`
// (other packages by path, plug-in DLLs by a ".dll" path) and `new [unsaved] class [("name" ["guid"])]
// { ... }`, where the body holds nested `new` objects and typed members (`int`, `float`, `string`,
// `obj` followed by a name and a braced list of values). The class is the name of an object-creator
// registration of some module; its creator class (offering IObjectCreator) is driven by the
// compiler, and the finished object is saved into the package as an entry.
//
// Words are runs of letters, digits and `- + . _`; characters above U+007F count as letters unless
// they are white space. Numbers are decimal spellings only and must fit their type (int, float).
// Comments run from `#` or `//` to the end of the line. Strings take either quote and have no
// escapes. Nesting of objects is limited to kMaxPackageNesting levels.
//
// Threading: one compilation runs on one thread; the package it makes is used by one thread at a
// time.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/package/package.h"

namespace Orv {

enum ETokenKind : unsigned int {
  eTokenNone = 0,
  eTokenIdentifier = 1,
  eTokenString = 2,
  eTokenInteger = 3,
  eTokenFloat = 4,
  eTokenOpenBrace = 5,
  eTokenCloseBrace = 6,
  eTokenOpenParen = 7,
  eTokenCloseParen = 8,
  eTokenSlash = 9,
  eTokenComma = 10,
  eTokenSemicolon = 11,
  eTokenBad = 12,
  eTokenEnd = 13,
};

// One token: its kind and its place (in characters) in the source text, which every token shares.
struct Token {
  unsigned int kind = eTokenNone;
  tstring text;
  unsigned int start = 0;
  unsigned int length = 0;
  tstring GetSpelling() const { return text.substr(start, length); }
};

// Deepest nesting of objects inside objects that a package text may use.
constexpr unsigned int kMaxPackageNesting = 256;

// Splits `text` into tokens ending with an End token. False on a character that belongs to no
// token or a string left open at a line break or at the end; `error` then covers the spot (kind Bad).
ORV_API bool TokenizePackageText(tstring const& text, tObjVector<Token>& tokens, Token& error);

// A whole word read as a decimal int or float; false for other spellings and values out of range.
ORV_API bool ReadPackageInt(wchar_t const* word, int& value);
ORV_API bool ReadPackageFloat(wchar_t const* word, float& value);

// "Stopped at token at line:L, column:C, text:'spelling'" for a token of its text; CR, LF and CR LF
// each end a line.
ORV_API tstring GetTokenPositionMessage(Token const& token);

struct IPackageParser;

// Builds one object named in package text. A false answer stops the compilation.
struct IObjectCreator : public IUnknown {
  virtual bool SetName(tstring const& name) = 0;
  // At the closing brace of the object.
  virtual bool Complete(IPackageParser* parser) = 0;
  virtual bool SetObjectValues(tstring const& member, IUnknown* const* values, unsigned int count) = 0;
  virtual bool SetStringValues(tstring const& member, tstring const* values, unsigned int count) = 0;
  virtual bool SetFloatValues(tstring const& member, float const* values, unsigned int count) = 0;
  virtual bool SetIntValues(tstring const& member, int const* values, unsigned int count) = 0;
  // A nested `new`: a creator for the child, with one reference.
  virtual bool CreateChild(tstring const& className, IObjectCreator** out) = 0;
  // After Complete: 0 is the main object, then extra objects; null ends the list. No new reference.
  virtual IUnknown* GetObject(unsigned int index) = 0;
};

// What creators may ask of the compilation that drives them.
struct IPackageParser {
  virtual ~IPackageParser() = default;
  // The first existing file `name` in the source directory, then in each include directory.
  virtual tstring FindImportFile(tstring const& name) = 0;
  virtual tstring const& GetDirectory() = 0;
  virtual IPackage* GetPackage() = 0;  // the package being built, no reference added
  // The outer object for objects of `category` (cached per category; null for GUID_NULL).
  virtual IUnknown* GetCategoryUnkOuter(GUID const& category) = 0;
  virtual void AddError(wchar_t const* message) = 0;
};

// One construct of the language, read token by token.
struct IParseContext {
  enum EResult : unsigned int { eContinue = 0, eDone = 1, eFailed = 2 };
  virtual ~IParseContext() = default;
  virtual EResult Parse(IPackageParser* parser) = 0;
};

// Compiles the text of the file at `path` (its directory is the source directory). On success
// *out receives the package with one reference; otherwise every message went to `errors`.
ORV_API bool CompilePackage(wchar_t const* path, IPackage** out, tObjVector<tstring> const* includeDirs,
                            tObjVector<tstring>* errors);
ORV_API bool CompilePackage(wchar_t const* text, wchar_t const* directory, IPackage** out,
                            tObjVector<tstring> const* includeDirs, tObjVector<tstring>* errors);
// The same over a text that may hold NUL characters (which fail like any stray character).
ORV_API bool CompilePackageText(tstring const& text, wchar_t const* directory, IPackage** out,
                                tObjVector<tstring> const* includeDirs, tObjVector<tstring>* errors);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IObjectCreator, 0x6b0e2f41, 0x9c37, 0x4a58, 0x8d, 0x16, 0x52, 0xe7, 0x0a, 0xc3, 0x9b, 0x74)
