// The table of profile files and operations that the POSIX backend and KERNEL32 must agree on.
#include "differential/profile_table.h"

namespace profile_agreement {
namespace {

using Kind = ProfileOperation::Kind;

ProfileOperation Read(const std::string& section, const std::string& key,
                      const std::string& fallback = "<default>", unsigned size = 128) {
    return {Kind::Read, section, key, fallback, size};
}

ProfileOperation Number(const std::string& section, const std::string& key,
                        unsigned fallback = 77) {
    return {Kind::ReadNumber, section, key, "", fallback};
}

ProfileOperation Write(const std::string& section, const std::string& key,
                       const std::string& value) {
    return {Kind::Write, section, key, value, 0};
}

const char kRewrite[] =
    "Wine rewrites the whole file on every write (lines trimmed, blank lines dropped, CRLF "
    "line ends): the file's bytes differ from Windows', its values do not";

}  // namespace

const std::vector<ProfileCase>& ProfileCases() {
    static const std::vector<ProfileCase> cases = {
        // ---- Reads ---------------------------------------------------------------------
        {"plain",
         "[GAME]\r\nsubTitlesNoise=0\r\nplayerName=Hero\r\n[INTERNAL]\r\ngameAbnormalExit=1\r\n",
         {Read("GAME", "subTitlesNoise"), Read("game", "SUBTITLESNOISE"), Read("GAME", "missing"),
          Read("NOSECTION", "subTitlesNoise"), Read("GAME", "playerName", "x", 3),
          Number("INTERNAL", "gameAbnormalExit"), Number("INTERNAL", "missing")}},
        {"blanks_and_quotes",
         "[S]\r\n  key1 =  value with  blanks \t\r\nq1=\"quoted\"\r\nq2=''\r\nq3=\"a\"b\"\r\n"
         "q4=\"unbalanced\r\nq5=' x '\r\nempty=\r\nblank=   \r\n[ T ]\r\nk=t\r\n",
         {Read("S", "key1"), Read("S", "q1"), Read("S", "q2"), Read("S", "q3"), Read("S", "q4"),
          Read("S", "q5"), Read("S", "empty"), Read("S", "blank"), Read("T", "k"),
          Read("S", "missing", "fallback  ")}},
        {"comments_and_odd_lines",
         "; a comment\r\n[S]\r\n;k1=1\r\n#k2=2\r\nno equals sign\r\nk3=a;b\r\nk4=a=b\r\n"
         "=nokey\r\n k5 = 5\r\n",
         {Read("S", ";k1"), Read("S", "k1"), Read("S", "#k2"), Read("S", "k3"), Read("S", "k4"),
          Read("S", "k5"), Read("S", "no equals sign")}},
        // A header needs its ']'; a line that only begins with '[' is a key line or nothing.
        {"odd_section_headers",
         "[A]junk after the name\r\nk=1\r\n[B\r\nm=2\r\n[C=3\r\n  [ D ]  \r\nk=4\r\n",
         {Read("A", "k"), Read("A", "m"), Read("B", "m"), Read("A", "[C"), Read("D", "k")}},
        {"duplicates",
         "[S]\r\nk=first\r\nk=second\r\n[S]\r\nk=third\r\nonly=in the second\r\n",
         {Read("S", "k"), Read("S", "only")}},
        {"line_ends",
         "[CR]\rk=cr\rnext=1\r[LF]\nk=lf\n[MIXED]\r\nk=mixed\nlast=no final break",
         {Read("CR", "k"), Read("CR", "next"), Read("LF", "k"), Read("MIXED", "k"),
          Read("MIXED", "last")}},
        {"cut_to_the_buffer",
         "[S]\r\nlong=" + std::string(200, 'v') + "\r\nshort=ab\r\n",
         {Read("S", "long"), Read("S", "long", "", 2), Read("S", "short", "", 1),
          Read("S", "short", "", 2), Read("S", "missing", "fallback", 4)}},
        {"long_line",
         "[S]\r\nbefore=1\r\nhuge=" + std::string(70000, 'h') + "\r\nafter=2\r\n",
         {Read("S", "before"), Read("S", "huge", "", 16), Read("S", "after")}},
        {"numbers",
         "[N]\r\nzero=0\r\nblanks= 0 \r\ntwo_zeros=00\r\nminus_zero=-0\r\nhex_zero=0x0\r\n"
         "digits_first=12abc\r\nletters=abc\r\nminus_one=-1\r\nhex=0x1F\r\nempty=\r\n"
         "only_blanks=   \r\nquoted=\"7\"\r\nplus=+5\r\nbig=4294967297\r\n",
         {Number("N", "zero"), Number("N", "blanks"), Number("N", "two_zeros"),
          Number("N", "minus_zero"), Number("N", "hex_zero"), Number("N", "digits_first"),
          Number("N", "letters"), Number("N", "minus_one"), Number("N", "hex"),
          Number("N", "empty"), Number("N", "only_blanks"), Number("N", "quoted"),
          Number("N", "plus"), Number("N", "big"), Number("N", "missing")}},
        {"missing_file", std::nullopt, {Read("S", "k"), Number("S", "k", 5)}},
        {"byte_order_mark",
         "\xEF\xBB\xBF[GAME]\r\nsubTitlesNoise=1\r\n[OTHER]\r\nk=v\r\n",
         {Read("GAME", "subTitlesNoise"), Read("OTHER", "k")},
         "Windows does not recognise a UTF-8 byte order mark, so the section header behind it "
         "on line 1 is not found; Wine does recognise it",
         {{0, "1"}}},

        // ---- Writes --------------------------------------------------------------------
        {"write_existing_key",
         "[GAME]\r\nsubTitlesNoise=0\r\nother = 1 \r\n\r\n[NEXT]\r\nk=v\r\n",
         {Write("GAME", "subTitlesNoise", "1"), Read("GAME", "subTitlesNoise"),
          Read("GAME", "other"), Read("NEXT", "k"), Write("game", "SUBTITLESNOISE", "2"),
          Read("GAME", "subTitlesNoise"), Write("GAME", "subTitlesNoise", "2")},
         kRewrite},
        {"write_new_key_and_section",
         "[GAME]\r\na=1\r\n\r\n[LAST]\r\nz=26",
         {Write("GAME", "b", "2"), Write("NEW", "c", "3"), Write("LAST", "y", "25"),
          Read("GAME", "a"), Read("GAME", "b"), Read("NEW", "c"), Read("LAST", "z"),
          Read("LAST", "y")},
         kRewrite},
        {"write_creates_the_file",
         std::nullopt,
         {Write("FILES", "VDF", "talvero.mod"), Read("FILES", "VDF"),
          Write("FILES", "VDF", "!<invalid>"), Read("FILES", "VDF")},
         kRewrite},
        {"write_values_of_every_form",
         "[S]\r\nk=old\r\n",
         {Write("S", "blanks", "a  b"), Write("S", "quotes", "\"q\""), Write("S", "empty", ""),
          Write("S", "semicolon", "a;b"), Write("S", "equals", "a=b"), Read("S", "blanks"),
          Read("S", "quotes"), Read("S", "empty", "<default>"), Read("S", "semicolon"),
          Read("S", "equals"), Read("S", "k")},
         kRewrite},
        {"write_cr_line_ends",
         "[A]\rk=1\r[B]\rk=2\r",
         {Write("A", "k", "one"), Write("A", "new", "n"), Read("A", "k"), Read("A", "new"),
          Read("B", "k")},
         kRewrite},
        {"write_with_duplicate_sections",
         "[S]\r\nk=first\r\n[S]\r\nonly=second\r\n",
         {Write("S", "k", "changed"), Write("S", "added", "a"), Read("S", "k"), Read("S", "added"),
          Read("S", "only")},
         kRewrite},
        {"write_into_a_missing_folder",
         std::nullopt,
         {Write("S", "k", "v"), Read("S", "k")},
         "",
         {},
         ".\\no such folder\\missing.ini"},
    };
    return cases;
}

}  // namespace profile_agreement
