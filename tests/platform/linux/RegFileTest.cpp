#include "platform/linux/RegFile.h"

#include "platform/Registry.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <vector>

namespace qel {
namespace {

const QString kKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tools");

QByteArray sz(const char* text) {
    return QByteArray(text).append('\0');
}

RegFile parse(const QByteArray& body, const char* header = "REGEDIT4") {
    return RegFile::parse(QByteArray(header) + "\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tools]\n" +
                          body);
}

struct ValueCase {
    const char* name;
    const char* line;
    std::uint32_t type;
    QByteArray data;
};

class RegFileValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegFileValueTest, ReadsTheValueAsTypeAndRawBytes) {
    const ValueCase& c = GetParam();
    const RegFile file = parse(QByteArray(c.line) + "\n");
    const auto v = file.value(kKey, QStringLiteral("v"));
    ASSERT_TRUE(v.has_value()) << c.line;
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
    EXPECT_EQ(file.skippedLines(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RegFileValueTest,
    ::testing::Values(
        ValueCase{"Text", R"("v"="Z:\\usr\\bin\\hardinfo")", REG_SZ, sz("Z:\\usr\\bin\\hardinfo")},
        ValueCase{"EscapedQuote", R"("v"="say \"hi\"")", REG_SZ, sz("say \"hi\"")},
        ValueCase{"LoneBackslashStands", R"("v"="Z:\usr\bin")", REG_SZ, sz("Z:\\usr\\bin")},
        ValueCase{"EmptyText", R"("v"="")", REG_SZ, sz("")},
        ValueCase{"Utf8Text", "\"v\"=\"caf\xC3\xA9\"", REG_SZ, sz("caf\xC3\xA9")},
        ValueCase{"SpacesAroundEquals", R"(  "v"  =  "x"  )", REG_SZ, sz("x")},
        ValueCase{"Dword", "\"v\"=dword:0001021a", REG_DWORD, QByteArray("\x1a\x02\x01\x00", 4)},
        ValueCase{"ShortDword", "\"v\"=dword:7", REG_DWORD, QByteArray("\x07\x00\x00\x00", 4)},
        ValueCase{"Binary", "\"v\"=hex:de,AD,0", REG_BINARY, QByteArray("\xde\xad\x00", 3)},
        ValueCase{"EmptyBinary", "\"v\"=hex:", REG_BINARY, QByteArray()},
        ValueCase{"TypedHexContinued", "\"v\"=hex(2):41,00,\\\n  42,00,\\\r\n  00,00", 2,
                  QByteArray("A\0B\0\0\0", 6)},
        ValueCase{"MultiText", "\"v\"=hex(7):61,00,62,00,00", REG_MULTI_SZ,
                  QByteArray("a\0b\0\0", 5)},
        ValueCase{"UnknownTypeNumberKept", "\"v\"=hex(1f4):01", 0x1f4, QByteArray("\x01", 1)},
        ValueCase{"TypedString", "\"v\"=str(2):\"%HOME%\"", REG_EXPAND_SZ, sz("%HOME%")},
        ValueCase{"NameIgnoresCase", R"("V"="x")", REG_SZ, sz("x")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegFile, DefaultValueKeysAncestorsAndCaseFolding) {
    const RegFile file = RegFile::parse("Windows Registry Editor Version 5.00\r\n"
                                        "; comment\r\n"
                                        "[HKLM\\Software\\A\\B]\r\n"
                                        "@=\"default\"\r\n");
    EXPECT_TRUE(file.hasHeader());
    EXPECT_EQ(file.value(QStringLiteral("hkey_local_machine\\SOFTWARE\\a\\b"), QString())->data,
              sz("default"));
    EXPECT_TRUE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\A")));
    EXPECT_TRUE(file.values(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE"))->isEmpty());
    EXPECT_FALSE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\AB")));
    EXPECT_FALSE(file.hasKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\A")));
}

TEST(RegFile, DuplicateKeysMergeAndTheLaterValueWins) {
    const RegFile file = parse("\"a\"=\"1\"\n\"b\"=\"1\"\n"
                               "[HKEY_LOCAL_MACHINE\\software\\tools]\n"
                               "\"B\"=\"2\"\n\"c\"=\"2\"\n");
    EXPECT_EQ(file.value(kKey, QStringLiteral("a"))->data, sz("1"));
    EXPECT_EQ(file.value(kKey, QStringLiteral("b"))->data, sz("2"));
    EXPECT_EQ(file.value(kKey, QStringLiteral("c"))->data, sz("2"));
}

TEST(RegFile, DeletionLinesRemoveKeysWithTheirSubkeysAndValues) {
    const RegFile file = parse("\"a\"=\"1\"\n\"b\"=\"1\"\n\"a\"=-\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Below]\n\"x\"=\"1\"\n"
                               "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\n"
                               "\"after\"=\"lost\"\n");
    EXPECT_FALSE(file.value(kKey, QStringLiteral("a")));
    EXPECT_TRUE(file.value(kKey, QStringLiteral("b")));
    EXPECT_FALSE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone")));
    EXPECT_FALSE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Below")));
    EXPECT_EQ(file.skippedLines(), 1); // the value under the deleted key
}

TEST(RegFile, InterleavedDeletionsTakeExactlyTheKeyAndItsSubkeys) {
    // Each step appends lines to the store read so far; keys are checked
    // after every step, so keys made again below a deleted one count too.
    struct Step {
        const char* lines;
        std::vector<const char*> present, absent;
    };
    const std::vector<Step> steps = {
        {"[HKLM\\S\\A\\B]\n\"v\"=\"old\"\n[HKLM\\S\\AB]\n[HKLM\\S\\A\\C\\D]\n",
         {"S\\A\\B", "S\\AB", "S\\A\\C\\D"},
         {}},
        {"[-hkey_local_machine\\s\\a\\c]\n[-HKLM\\S\\Missing]\n",
         {"S\\A\\B", "S\\AB"},
         {"S\\A\\C", "S\\A\\C\\D"}},
        {"[HKLM\\S\\A\\C\\D\\E]\n", {"S\\A\\C\\D\\E", "S\\A\\C"}, {}},
        {"[-HKEY_LOCAL_MACHINE\\\\S\\A\\]\n", {"S\\AB"}, {"S\\A", "S\\A\\B", "S\\A\\C\\D\\E"}},
        {"[HKLM\\S\\A\\B]\n\"w\"=\"new\"\n", {"S\\A\\B", "S\\A"}, {"S\\A\\C"}},
    };
    QByteArray text = "REGEDIT4\n";
    for (const Step& step : steps) {
        text += step.lines;
        SCOPED_TRACE(text.toStdString());
        const RegFile file = RegFile::parse(text);
        for (const char* key : step.present)
            EXPECT_TRUE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key)) << key;
        for (const char* key : step.absent)
            EXPECT_FALSE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key)) << key;
    }
    // A key made again starts without the values it had before its deletion.
    const QString b = QStringLiteral("HKEY_LOCAL_MACHINE\\S\\A\\B");
    const RegFile file = RegFile::parse(text);
    EXPECT_FALSE(file.value(b, QStringLiteral("v")));
    EXPECT_EQ(file.value(b, QStringLiteral("w"))->data, sz("new"));
}

TEST(RegFile, UnreadableLinesAreSkippedWithoutHarmingTheirNeighbours) {
    const char* bad[] = {
        "\"v\"=qword:0102030405060708", // unknown type
        "\"v\"=dword:123456789",        // too many digits
        "\"v\"=dword:xyz",
        "\"v\"=hex:1,22,333", // a byte of three digits
        "\"v\"=hex:1,,2",
        "\"v\"=hex(zz):01",
        "\"v\"=\"unterminated",
        "\"v\"=\"text\" trailing",
        "\"v\" \"x\"", // no equals sign
        "\"unterminated=\"x\"",
        "@",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\NoClose",
        "garbage line",
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        const RegFile file = parse(QByteArray("\"before\"=\"1\"\n") + line + "\n\"v2\"=\"2\"\n");
        EXPECT_FALSE(file.value(kKey, QStringLiteral("v")));
        EXPECT_GE(file.skippedLines(), 1);
        EXPECT_TRUE(file.value(kKey, QStringLiteral("before")));
    }
    // A value after an unclosed key line belongs to no key.
    const RegFile cut = parse("[HKEY_LOCAL_MACHINE\\X\n\"v\"=\"1\"\n");
    EXPECT_FALSE(cut.value(kKey, QStringLiteral("v")));
    EXPECT_FALSE(cut.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\X")));
}

TEST(RegFile, MissingEmptyOrForeignTextIsAnEmptyStore) {
    for (const QByteArray& text :
         {QByteArray(), QByteArray("\n\n"), QByteArray("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\"\n"),
          QByteArray("REGEDIT5\n[HKEY_LOCAL_MACHINE\\A]\n"), QByteArray("REGEDIT", 7)}) {
        const RegFile file = RegFile::parse(text);
        EXPECT_FALSE(file.hasHeader());
        EXPECT_FALSE(file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\A")));
    }
}

TEST(RegFile, TextCutShortKeepsWhatWasComplete) {
    const QByteArray full = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tools]\n\"a\"=\"1\"\n"
                            "\"b\"=hex:01,02,\\\n  03,04\n\"c\"=\"33\"\n";
    for (qsizetype n = 0; n <= full.size(); ++n) {
        const RegFile file = RegFile::parse(full.left(n));
        // Text values are whole or absent; hex lists cannot tell a cut
        // byte from a short one, but never grow.
        if (const auto a = file.value(kKey, QStringLiteral("a"))) {
            EXPECT_EQ(a->data, sz("1")) << n;
        }
        if (const auto b = file.value(kKey, QStringLiteral("b"))) {
            EXPECT_LE(b->data.size(), 4) << n;
        }
        if (const auto c = file.value(kKey, QStringLiteral("c"))) {
            EXPECT_EQ(c->data, sz("33")) << n;
        }
    }
    // A continuation cut off by the end of the file drops the value.
    const RegFile dangling = parse("\"b\"=hex:01,\\");
    EXPECT_FALSE(dangling.value(kKey, QStringLiteral("b")));
}

TEST(RegFile, HugeLinesLargeValuesAndUtf16) {
    const QByteArray big(1 << 20, 'x');
    const RegFile file =
        parse("\"big\"=\"" + big + "\"\n" + "\"" + big + "\n\"after\"=hex:" +
              QByteArray(2000, '0').replace(QByteArray("00"), QByteArray("00,")) + "\n");
    EXPECT_EQ(file.value(kKey, QStringLiteral("big"))->data.size(), (1 << 20) + 1);
    EXPECT_EQ(file.value(kKey, QStringLiteral("after"))->data.size(), 1000);

    QByteArray utf16("\xff\xfe", 2);
    for (QChar ch : QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tools]\r\n\"v\"=\"w\"\r\n")) {
        utf16.append(char(ch.unicode() & 0xFF));
        utf16.append(char(ch.unicode() >> 8));
    }
    EXPECT_EQ(RegFile::parse(utf16).value(kKey, QStringLiteral("v"))->data, sz("w"));
}

TEST(RegFile, BinaryGarbageNeverCrashes) {
    QRandomGenerator random(1234);
    for (int round = 0; round < 200; ++round) {
        QByteArray junk(random.bounded(2000), '\0');
        for (auto& b : junk)
            b = char(random.bounded(256));
        // Garbage after a real header, and with the syntax's own characters mixed in.
        const QByteArray text = (round % 2 ? "REGEDIT4\n" : "") + junk;
        const RegFile file = RegFile::parse(text);
        file.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE\\A"));
        static constexpr char alphabet[] = "[]\"@=-\\:,\n hexdwordstr(0123456789abcdef;";
        QByteArray syntax = "REGEDIT4\n";
        for (int i = 0; i < 500; ++i)
            syntax.append(alphabet[random.bounded(int(sizeof alphabet) - 1)]);
        RegFile::parse(syntax);
    }
}

} // namespace
} // namespace qel
