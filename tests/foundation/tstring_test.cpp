// tstring: empty strings, sharing and copy on write, construction, assignment, access and the
// editing members (including sources inside the string itself), and concurrent copies.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "orvutil/foundation.h"
#include "orvutil/threads/locks.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

const tstring::size_type npos = tstring::npos;

unsigned RecordsInUse() {
  return tstring::GetSharedStringAllocator().InUse();
}

const wchar_t* EmptyChars() {
  return tstring::GetEmptyString()->Data();
}

// A string with its own record, longer than the inline storage.
tstring Long(const wchar_t* text = L"0123456789abcdefghijklmnop") {
  return tstring(text);
}

std::wstring Std(const tstring& s) {
  return std::wstring(s.data(), s.size());
}

}  // namespace

TEST(TStringEmpty, EmptyStringsShareTheSingletonAndAllocateNothing) {
  unsigned before = RecordsInUse();
  tstring byDefault;
  tstring nullWithCount(nullptr, 5);
  tstring zeroCount(L"abc", 0);
  tstring emptyChars(L"");
  tstring cleared(L"something");
  cleared.clear();
  tstring assigned(L"something else");
  assigned = L"";
  for (const tstring* s : {&byDefault, &nullWithCount, &zeroCount, &emptyChars, &cleared, &assigned}) {
    EXPECT_EQ(s->data(), EmptyChars());
    EXPECT_EQ(s->size(), 0u);
    EXPECT_TRUE(s->empty());
    EXPECT_EQ(s->c_str()[0], L'\0');
  }
  EXPECT_EQ(RecordsInUse(), before);
}

TEST(TStringEmpty, ErasingEverythingKeepsAValidTerminator) {
  tstring s = Long();
  s.erase(0, npos);
  EXPECT_EQ(s.size(), 0u);
  EXPECT_EQ(s.c_str()[0], L'\0');
  EXPECT_EQ(s, L"");
}

TEST(TStringConstruct, FromCharactersRangesAndRepeats) {
  EXPECT_EQ(Std(tstring(L"hello", npos)), L"hello");
  EXPECT_EQ(Std(tstring(L"hello", 3)), L"hel");
  const wchar_t text[] = L"range";
  EXPECT_EQ(Std(tstring(text + 1, text + 4)), L"ang");
  EXPECT_EQ(tstring(text + 4, text + 1).size(), 0u);  // reversed range: nothing
  EXPECT_EQ(Std(tstring(3, L'z')), L"zzz");
  EXPECT_EQ(Std(tstring(L'q')), L"q");
  // Embedded zeros are kept when a count is given.
  tstring zeros(L"a\0b", 3);
  EXPECT_EQ(zeros.size(), 3u);
  EXPECT_EQ(zeros[2], L'b');
}

TEST(TStringConstruct, LongStringsKeepTheirTerminator) {
  std::wstring expected;
  for (int i = 0; i < 600; ++i) expected += static_cast<wchar_t>(L'a' + i % 26);
  tstring s(expected.c_str());
  EXPECT_EQ(s.size(), 600u);
  EXPECT_EQ(s.c_str()[600], L'\0');
  EXPECT_EQ(s.end(), s.c_str() + 600);
  EXPECT_GE(s.capacity(), 601u);
  EXPECT_EQ(Std(s), expected);
}

TEST(TStringShare, CopiesShareOneRecordUntilOneChanges) {
  unsigned before = RecordsInUse();
  tstring a = Long();
  EXPECT_EQ(RecordsInUse(), before + 1);
  tstring b(a);
  tstring c;
  c = a;
  EXPECT_EQ(b.data(), a.data());
  EXPECT_EQ(c.data(), a.data());
  EXPECT_EQ(RecordsInUse(), before + 1);

  b[0] = L'X';
  EXPECT_EQ(Std(a), L"0123456789abcdefghijklmnop");
  EXPECT_EQ(Std(b), L"X123456789abcdefghijklmnop");
  EXPECT_NE(b.data(), a.data());
  EXPECT_EQ(c.data(), a.data());
  EXPECT_EQ(RecordsInUse(), before + 2);
}

TEST(TStringShare, EveryMutatorUnsharesFirst) {
  const tstring original = Long();
  const std::wstring text = Std(original);
  using Mutator = void (*)(tstring&);
  const Mutator mutators[] = {
      [](tstring& s) { s.append(L"x"); },     [](tstring& s) { s += L'x'; },
      [](tstring& s) { s.push_back(L'x'); },  [](tstring& s) { s.insert(3, L"x"); },
      [](tstring& s) { s.erase(2, 3); },      [](tstring& s) { s.replace(1, 2, L"xyz"); },
      [](tstring& s) { s.resize(4); },        [](tstring& s) { s.resize(40, L'x'); },
      [](tstring& s) { *s.begin() = L'x'; },  [](tstring& s) { *s.rbegin() = L'x'; },
      [](tstring& s) { s.at(5) = L'x'; },     [](tstring& s) { s.insert(s.begin() + 1, L'x'); },
      [](tstring& s) { s.erase(s.begin()); }, [](tstring& s) { s.replace(1, 0, 2, L'x'); },
  };
  for (size_t i = 0; i < sizeof(mutators) / sizeof(mutators[0]); ++i) {
    tstring copy(original);
    mutators[i](copy);
    EXPECT_EQ(Std(original), text) << "mutator " << i;
    EXPECT_NE(copy.data(), original.data()) << "mutator " << i;
    EXPECT_NE(Std(copy), text) << "mutator " << i;
  }
}

TEST(TStringShare, PrivateStringsChangeInPlace) {
  tstring s(L"short");
  unsigned before = RecordsInUse();
  const wchar_t* chars = s.data();
  s[0] = L'S';
  s.append(L"er");
  s.insert(0, L"<");
  s.erase(0, 1);
  s.replace(0, 1, L"s");
  s.push_back(L'!');
  EXPECT_EQ(Std(s), L"shorter!");
  EXPECT_EQ(s.data(), chars);  // still the inline storage of the same record
  EXPECT_EQ(RecordsInUse(), before);
}

TEST(TStringShare, LastReferenceReturnsTheRecord) {
  unsigned before = RecordsInUse();
  {
    tstring a = Long();
    tstring b(a);
    { tstring c(b); }
    EXPECT_EQ(RecordsInUse(), before + 1);
    a = L"other text that is also long";
    EXPECT_EQ(RecordsInUse(), before + 2);
  }
  EXPECT_EQ(RecordsInUse(), before);
}

TEST(TStringShare, MoveTakesTheRecordWithoutCopying) {
  tstring a = Long();
  const wchar_t* chars = a.data();
  unsigned before = RecordsInUse();
  tstring b(std::move(a));
  EXPECT_EQ(b.data(), chars);
  tstring c;
  c = std::move(b);
  EXPECT_EQ(c.data(), chars);
  EXPECT_EQ(RecordsInUse(), before);
  // Moved-from strings may be assigned to again.
  a = L"again";
  b = c;
  EXPECT_EQ(Std(a), L"again");
  EXPECT_EQ(b.data(), chars);
  c = std::move(c);
  EXPECT_EQ(c.data(), chars);
}

TEST(TStringShare, SelfAssignmentAndSwapKeepCounts) {
  tstring a = Long();
  tstring b(L"second string, long enough");
  unsigned before = RecordsInUse();
  const wchar_t* ca = a.data();
  const wchar_t* cb = b.data();
  a = a;
  a.assign(a);
  EXPECT_EQ(a.data(), ca);
  a.swap(b);
  EXPECT_EQ(a.data(), cb);
  EXPECT_EQ(b.data(), ca);
  EXPECT_EQ(RecordsInUse(), before);
}

TEST(TStringAssign, AllForms) {
  tstring s;
  s = L"text";
  EXPECT_EQ(s, L"text");
  s = L'c';
  EXPECT_EQ(s, L"c");
  s.assign(L"abcdef", 3);
  EXPECT_EQ(s, L"abc");
  s.assign(4, L'w');
  EXPECT_EQ(s, L"wwww");
  const tstring source(L"0123456789");
  s.assign(source, 2, 3);
  EXPECT_EQ(s, L"234");
  s.assign(source, 8, npos);
  EXPECT_EQ(s, L"89");
  s.assign(source, 20, 2);  // position beyond the end: empty
  EXPECT_TRUE(s.empty());
  s.assign(source.begin() + 1, source.begin() + 3);
  EXPECT_EQ(s, L"12");
  // Assigning a part of the string itself.
  s = Long();
  s.assign(s.c_str() + 10, 6);
  EXPECT_EQ(s, L"abcdef");
  s.assign(s, 1, 2);
  EXPECT_EQ(s, L"bc");
}

TEST(TStringAccess, PointersAndSizes) {
  tstring s(L"abc");
  const tstring& cs = s;
  EXPECT_EQ(cs.begin(), cs.c_str());
  EXPECT_EQ(cs.end(), cs.c_str() + 3);
  EXPECT_EQ(*cs.end(), L'\0');
  EXPECT_EQ(*cs.rbegin(), L'c');
  EXPECT_EQ(cs.rend(), cs.begin() - 1);
  EXPECT_EQ(cs.size(), 3u);
  EXPECT_EQ(cs.length(), 3u);
  EXPECT_EQ(cs.capacity(), 16u);  // inline storage, terminator slot included
  EXPECT_EQ(cs.max_size(), 0x7FFFFFFFu);
  EXPECT_EQ(npos, 0xFFFFFFFFu);
  std::wstring reversed;
  for (const wchar_t* p = cs.rbegin(); p != cs.rend(); --p) reversed += *p;
  EXPECT_EQ(reversed, L"cba");
}

TEST(TStringAccess, ConstReadsNeverUnshare) {
  const tstring a = Long();
  const tstring b(a);
  EXPECT_EQ(b[3], L'3');
  EXPECT_EQ(b.at(10), L'a');
  EXPECT_EQ(b.end() - b.begin(), 26);
  EXPECT_EQ(b.data(), a.data());
}

TEST(TStringEdit, AppendForms) {
  tstring s(L"ab");
  s.append(tstring(L"cd"));
  s.append(tstring(L"0123"), 1, 2);
  s.append(L"xyz", 1);
  s.append(2, L'-');
  const wchar_t tail[] = L"END";
  s.append(tail, tail + 3);
  s += tstring(L"!");
  s += L"?";
  s += L'.';
  EXPECT_EQ(s, L"abcd12x--END!?.");
  s.append(tstring(L"0123"), 9, 2);  // position beyond the source: nothing
  s.append(static_cast<const wchar_t*>(nullptr), 4);
  EXPECT_EQ(s, L"abcd12x--END!?.");
}

TEST(TStringEdit, PushBackGrowsPastInlineStorage) {
  tstring s;
  std::wstring expected;
  for (int i = 0; i < 5000; ++i) {
    wchar_t c = static_cast<wchar_t>(L'A' + i % 50);
    s.push_back(c);
    expected.push_back(c);
    ASSERT_EQ(s.c_str()[s.size()], L'\0') << "after " << i + 1;
  }
  EXPECT_EQ(Std(s), expected);
  EXPECT_GE(s.capacity(), 5001u);
}

TEST(TStringEdit, InsertAtEveryBoundary) {
  tstring s(L"abc");
  s.insert(0, L"<");
  s.insert(2, tstring(L"+"));
  s.insert(s.size(), L">");
  EXPECT_EQ(s, L"<a+bc>");
  s.insert(100, L"!");  // beyond the end: appended
  EXPECT_EQ(s, L"<a+bc>!");
  s.insert(1, 2, L'=');
  EXPECT_EQ(s, L"<==a+bc>!");
  s.insert(0, tstring(L"0123"), 2, npos);
  EXPECT_EQ(s, L"23<==a+bc>!");
}

TEST(TStringEdit, IteratorFormsReturnTheEditPoint) {
  tstring s(L"abcdef");
  tstring::iterator it = s.insert(s.begin() + 2, L'X');
  EXPECT_EQ(*it, L'X');
  EXPECT_EQ(it - s.begin(), 2);
  s.insert(s.end(), 2, L'!');
  const wchar_t digits[] = L"12";
  s.insert(s.begin(), digits, digits + 2);
  EXPECT_EQ(s, L"12abXcdef!!");
  it = s.erase(s.begin() + 4);
  EXPECT_EQ(*it, L'c');
  it = s.erase(s.begin(), s.begin() + 2);
  EXPECT_EQ(it, s.begin());
  EXPECT_EQ(s, L"abcdef!!");
  s.replace(s.begin() + 6, s.end(), L"??");
  s.replace(s.begin(), s.begin() + 1, tstring(L"AA"));
  s.replace(s.begin(), s.begin() + 2, 1, L'a');
  EXPECT_EQ(s, L"abcdef??");
}

TEST(TStringEdit, EraseClipsToTheEnd) {
  tstring s(L"0123456789");
  s.erase(8, 100);
  EXPECT_EQ(s, L"01234567");
  s.erase(20, 1);  // beyond the end: nothing
  EXPECT_EQ(s, L"01234567");
  s.erase(5);
  EXPECT_EQ(s, L"01234");
  s.erase(1, 2);
  EXPECT_EQ(s, L"034");
}

TEST(TStringEdit, ReplaceGrowsShrinksOrOverwrites) {
  tstring s(L"0123456789");
  s.replace(2, 3, L"ab");  // shrink
  EXPECT_EQ(s, L"01ab56789");
  s.replace(2, 2, L"ABCD");  // grow
  EXPECT_EQ(s, L"01ABCD56789");
  s.replace(0, 2, L"xy");  // same length
  EXPECT_EQ(s, L"xyABCD56789");
  s.replace(6, npos, tstring(L"-"));
  EXPECT_EQ(s, L"xyABCD-");
  s.replace(0, 1, 3, L'_');
  EXPECT_EQ(s, L"___yABCD-");
  s.replace(3, 1, tstring(L"012345"), 2, 2);
  EXPECT_EQ(s, L"___23ABCD-");
  s.replace(0, 3, L"", 0);
  EXPECT_EQ(s, L"23ABCD-");
}

TEST(TStringEdit, SourcesInsideTheStringItself) {
  tstring s(L"abcdef");
  s.insert(2, s);
  EXPECT_EQ(s, L"ababcdefcdef");
  s = L"abcdef";
  s.insert(0, s.c_str() + 3, 3);
  EXPECT_EQ(s, L"defabcdef");
  s = L"abcdef";
  s.append(s);
  EXPECT_EQ(s, L"abcdefabcdef");
  s = L"abcdef";
  s.replace(1, 4, s.c_str() + 2, 2);  // source inside the replaced range
  EXPECT_EQ(s, L"acdf");
  s = L"abcdef";
  s.replace(0, 2, s.c_str(), 6);  // grows over its own source
  EXPECT_EQ(s, L"abcdefcdef");
  // A long string whose buffer moves while growing.
  s = Long();
  s.insert(5, s.c_str(), s.size());
  EXPECT_EQ(Std(s), L"01234" + std::wstring(L"0123456789abcdefghijklmnop") + L"56789abcdefghijklmnop");
  // A source in a record shared with another string.
  tstring a = Long();
  tstring b(a);
  b.insert(0, a.c_str() + 20, 6);
  EXPECT_EQ(Std(b), L"klmnop0123456789abcdefghijklmnop");
  EXPECT_EQ(Std(a), L"0123456789abcdefghijklmnop");
  // A count reaching past the end of the string's own characters stops at its last character.
  s = L"abc";
  s.append(s.c_str() + 1, 50);
  EXPECT_EQ(s, L"abcbc");
}

TEST(TStringEdit, ResizeBothWays) {
  tstring s(L"abc");
  s.resize(6, L'x');
  EXPECT_EQ(s, L"abcxxx");
  s.resize(8);
  EXPECT_EQ(s.size(), 8u);
  EXPECT_EQ(s[6], L'\0');
  EXPECT_EQ(s[7], L'\0');
  EXPECT_EQ(s.c_str()[8], L'\0');
  s.resize(2);
  EXPECT_EQ(s, L"ab");
  s.resize(40, L'y');
  EXPECT_EQ(Std(s), L"ab" + std::wstring(38, L'y'));
  // Resizing to the current size leaves a shared string shared.
  tstring copy(s);
  copy.resize(40);
  EXPECT_EQ(copy.data(), s.data());
  s.resize(0);
  EXPECT_TRUE(s.empty());
}

TEST(TStringEdit, ReserveKeepsContentsAndRejectsImpossibleSizes) {
  tstring s(L"abc");
  s.reserve(300);
  EXPECT_GE(s.capacity(), 301u);
  EXPECT_EQ(s, L"abc");
  unsigned capacity = s.capacity();
  s.reserve(0xFFFFFFF0u);
  EXPECT_EQ(s.capacity(), capacity);
  s.append(0xFFFFFFF0u, L'x');  // would pass max_size(): not made
  EXPECT_EQ(s, L"abc");
  s.insert(1, 0x7FFFFFFFu, L'x');
  EXPECT_EQ(s, L"abc");
}

TEST(TStringResults, SubstrCopyAndConcatenation) {
  const tstring s(L"0123456789");
  EXPECT_EQ(s.substr(3, 4), L"3456");
  EXPECT_EQ(s.substr(7), L"789");
  EXPECT_EQ(s.substr(7, npos), L"789");
  EXPECT_TRUE(s.substr(10).empty());
  EXPECT_TRUE(s.substr(50, 2).empty());
  EXPECT_EQ(s.substr().data(), s.data());  // the whole string is shared, not copied

  wchar_t buffer[8];
  for (wchar_t& c : buffer) c = L'#';
  EXPECT_EQ(s.copy(buffer, 4, 8), 2u);
  EXPECT_EQ(buffer[0], L'8');
  EXPECT_EQ(buffer[1], L'9');
  EXPECT_EQ(buffer[2], L'#');  // no terminator
  EXPECT_EQ(s.copy(buffer, 3), 3u);
  EXPECT_EQ(buffer[2], L'2');
  EXPECT_EQ(s.copy(buffer, 3, 10), 0u);
  EXPECT_EQ(s.copy(nullptr, 3), 0u);

  tstring a(L"ab");
  EXPECT_EQ(a + tstring(L"cd"), L"abcd");
  EXPECT_EQ(a + L"cd", L"abcd");
  EXPECT_EQ(a + L'c', L"abc");
  EXPECT_EQ(L"<" + a, L"<ab");
  EXPECT_EQ(L'<' + a, L"<ab");
  EXPECT_EQ(a, L"ab");
}

// Threads copy one string and release the copies, and change copies of their own: the count
// must come back to exactly one holder, so the record returns to the pool with the last release.
TEST(TStringThreads, ConcurrentCopiesKeepTheCountBalanced) {
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  unsigned before = RecordsInUse();
  {
    tstring shared = Long();
    const wchar_t* chars = shared.data();
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&shared, &ready, chars, t] {
        // Start together so that the counts really are changed at the same time.
        ready.fetch_add(1);
        while (ready.load() < 4) {
        }
        for (int i = 0; i < 100000; ++i) {
          tstring copy(shared);
          tstring second;
          second = copy;
          tstring third(second);
          if (copy.data() != chars) ADD_FAILURE() << "copy does not share";
          if (i % 256 == t) {
            third.push_back(L'x');  // private copy; the shared record is untouched
            if (third.size() != 27 || third.data() == chars) ADD_FAILURE() << "unshare failed";
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(shared.data(), chars);
    EXPECT_EQ(Std(shared), L"0123456789abcdefghijklmnop");
    EXPECT_EQ(RecordsInUse(), before + 1);
    // Still exactly one reference: a change happens in place, without a new record.
    shared[0] = L'#';
    EXPECT_EQ(shared.data(), chars);
    EXPECT_EQ(RecordsInUse(), before + 1);
  }
  EXPECT_EQ(RecordsInUse(), before);
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
}
