#include "StorageTestSupport.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/BibFileReader.h"
#include "storage/ReadSnapshot.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString error(const char *key, const QString &p1 = {}, const QString &p2 = {})
{
    return Texts::substitute(Texts::text(QString::fromUtf8(key)), {p1, p2});
}

const QByteArray kEntryA = "@article{a, title = {Alpha}, year = 2001}\n";
const QByteArray kEntryB = "@book{b, title = {Beta}}\n";

} // namespace

// ---- one small file per reading problem: what is recorded, and what is kept

struct ReadCase
{
    const char *name;
    QByteArray bytes;
    QStringList keys;      // entries read, in file order
    QStringList errorKeys; // the keys of the recorded errors, in order
    int comments = -1;     // comment blocks, when checked
    int unreadTexts = -1;  // texts kept verbatim, when checked
};

class ReadErrors : public testing::TestWithParam<ReadCase>
{};

TEST_P(ReadErrors, recordsTheProblemAndKeepsEveryEntry)
{
    const ReadCase &row = GetParam();
    BibFixture fixture;
    auto database = fixture.load(row.bytes);
    ASSERT_TRUE(database);
    EXPECT_EQ(keysOf(*database), row.keys);
    const QStringList errors = errorsOf(*database);
    ASSERT_EQ(errors.size(), row.errorKeys.size()) << errors.join(u'\n').toStdString();
    for (qsizetype i = 0; i < errors.size(); ++i) {
        // Every message is the keyed text; compare the fixed part before its first parameter.
        const QString pattern = Texts::text(row.errorKeys[i]);
        const QString fixedPart = pattern.left(pattern.indexOf(u'%'));
        EXPECT_TRUE(errors[i].startsWith(fixedPart))
            << errors[i].toStdString() << " / " << row.errorKeys[i].toStdString();
    }
    EXPECT_EQ(database->isDirty(), !row.errorKeys.isEmpty());
    if (row.comments >= 0) {
        EXPECT_EQ(database->commentList().size(), row.comments)
            << database->commentList().join(u'|').toStdString();
    }
    if (row.unreadTexts >= 0) {
        EXPECT_EQ(database->unreadTextList().size(), row.unreadTexts);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadErrors,
    testing::Values(
        ReadCase{"clean", kEntryA + kEntryB, {u"a"_s, u"b"_s}, {}, 0, 0},
        ReadCase{"strayTextBetweenEntries",
                 kEntryA + "This paragraph is not an entry.\n" + kEntryB,
                 {u"a"_s, u"b"_s},
                 {u"ReadError_BadBlock"_s},
                 1,
                 0},
        ReadCase{"proseHeaderBeforeEntries",
                 "==== IEEE export ====\nGenerated text\n" + kEntryA,
                 {u"a"_s},
                 {u"ReadError_BadBlock"_s},
                 1,
                 0},
        ReadCase{"percentLinesKeptWithoutError",
                 "% made by hand\n# note\n" + kEntryA,
                 {u"a"_s},
                 {},
                 1,
                 0},
        ReadCase{"atWithoutName",
                 kEntryA + "@ {junk}\n" + kEntryB,
                 {u"a"_s, u"b"_s},
                 {u"ReadError_NoBlockName"_s},
                 1,
                 0},
        ReadCase{"nulInTheText",
                 kEntryA + "@misc{n, note = {x" + QByteArray(1, '\0') + "y}}\n" + kEntryB,
                 {u"a"_s, u"n"_s, u"b"_s},
                 {u"ReadError_NulCharacter"_s}},
        ReadCase{"duplicateKeys",
                 "@misc{k, a={1}}\n@misc{k, a={2}}\n@misc{k, a={3}}\n",
                 {u"k"_s, u"k.1"_s, u"k.2"_s},
                 {u"ReadError_DupBibKey"_s, u"ReadError_DupBibKey"_s}},
        ReadCase{
            "parenthesisedEntry", "@article(p, title = {Paren})\n" + kEntryB, {u"p"_s, u"b"_s}, {}},
        ReadCase{"entryWithoutComma",
                 "@misc{nokey title = {x}}\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_BadBibItem"_s},
                 1,
                 0},
        ReadCase{"entryWithoutKey",
                 "@article{, title = {No key}}\n" + kEntryB,
                 {u"untitled1"_s, u"b"_s},
                 {u"ReadError_NoBibKey"_s},
                 0,
                 0},
        ReadCase{"commentLinesInsideEntry",
                 "@misc{c,\n  % note = {old},\n  title = {T}}\n" + kEntryB,
                 {u"c"_s, u"b"_s},
                 {u"ReadError_CommentInEntry"_s},
                 1,
                 0},
        ReadCase{"parenthesisedWithParenInQuotes",
                 "@article(q, title = \"Shape (Part I)\", year = {1973})\n" + kEntryB,
                 {u"q"_s, u"b"_s},
                 {}},
        ReadCase{"doubledComma",
                 "@misc{d, title = {x},  , year = {1999}}\n" + kEntryB,
                 {u"d"_s, u"b"_s},
                 {}},
        ReadCase{"entryWithKeyOnly", "@misc{lonely}\n" + kEntryB, {u"lonely"_s, u"b"_s}, {}},
        ReadCase{"emptyEntry", "@misc{}\n" + kEntryB, {u"b"_s}, {u"ReadError_EmptyBibItem"_s}},
        ReadCase{"entryWithoutBrace",
                 "@misc nothing here\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_EmptyBibItem"_s}},
        ReadCase{"runawayEntry",
                 "@misc{r, title = {open\n\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_RunawayBlock"_s},
                 0,
                 1},
        ReadCase{"badMath",
                 "@misc{m, title = {$x}$}\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_BadBibItem"_s}},
        ReadCase{"unclosedComment",
                 "@comment{never closed\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_BadComment"_s},
                 0,
                 1},
        ReadCase{"preambleWithoutBrace",
                 "@preamble \"x\"\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_BadPreamble"_s}},
        ReadCase{"macroSyntax",
                 "@string{a = {x} {y}}\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_BadMacro"_s},
                 1,
                 0},
        ReadCase{"emptyMacro", "@string{}\n" + kEntryB, {u"b"_s}, {u"ReadError_EmptyMacro"_s}},
        ReadCase{"duplicateMacro",
                 "@string{aa = {x}}\n@string{aa = {y}}\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_DupMacro"_s}},
        ReadCase{"settingsBlockWithSyntaxError",
                 "@COMMENT { Quirefold_Settings, linemode = {2} x}\n" + kEntryB,
                 {u"b"_s},
                 {u"ReadError_BadPrefs"_s}},
        ReadCase{"emptySettingsBlock", "@COMMENT { Quirefold_Settings,}\n" + kEntryB, {u"b"_s}, {}},
        ReadCase{"fileWithoutFinalLineBreak", "@misc{last, title = {End}}", {u"last"_s}, {}},
        // White space, line breaks included, may part "@", the type and the body.
        ReadCase{"atApartFromItsType",
                 "those with the inclination may use.@\n\nMaNuAl\t(scribe,\n title = {S})\n" +
                     kEntryB,
                 {u"scribe"_s, u"b"_s},
                 {u"ReadError_BadBlock"_s},
                 1,
                 0},
        ReadCase{"typeApartFromItsBrace", "@\n  article\n  {x, title = {X}}\n" + kEntryB,
                 {u"x"_s, u"b"_s}, {}, 0, 0},
        // A broken entry and the stray text after it stay one piece of text.
        ReadCase{"brokenEntryAndStrayTextAreOnePiece",
                 kEntryA + "@misc{u, title = \"a } b\" x}\nmore } text\n" + kEntryB,
                 {u"a"_s, u"b"_s},
                 {u"ReadError_BadBibItem"_s, u"ReadError_BadBlock"_s},
                 0,
                 1}),
    [](const testing::TestParamInfo<ReadCase> &row) { return std::string(row.param.name); });

// ---- what is read

TEST(BibFileReader, smallFilesLoadEmptyWithoutErrors)
{
    BibFixture fixture;
    auto database = fixture.load("@misc{a}");
    ASSERT_TRUE(database);
    EXPECT_TRUE(keysOf(*database).isEmpty());
    EXPECT_FALSE(database->readingErrors());
    EXPECT_FALSE(database->isDirty());
}

TEST(BibFileReader, entryNamesAreCaseInsensitive)
{
    BibFixture fixture;
    auto database = fixture.load("@Article{x, title={T}}\n@ARTICLE{y, "
                                 "title={U}}\n@comment{c}\n@Preamble{p}\n@string{s = {v}}\n");
    ASSERT_TRUE(database);
    const BibItemList &items = *database->allItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->bibType(), u"ARTICLE"_s);
    EXPECT_EQ(items[1]->bibType(), u"ARTICLE"_s);
    EXPECT_EQ(database->commentList(), QStringList{u"c"_s});
    EXPECT_EQ(database->preambleList(), QStringList{u"p"_s});
    EXPECT_EQ(database->macroList()->count(), 1);
}

TEST(BibFileReader, recurringValuesTypesAndNamesAreHeldOnce)
{
    BibFixture fixture;
    auto database = fixture.load("@article{a, author = {Smith, Ann}, journal = {J. Chem. Phys.},\n"
                                 "  year = 2004, title = {Same}}\n"
                                 "@article{b, author = {Ann Smith}, journal = {J. Chem. Phys.},\n"
                                 "  year = {2004}, title = {Same}}\n");
    ASSERT_TRUE(database);
    const BibItemList &items = *database->allItems();
    ASSERT_EQ(items.size(), 2u);
    const auto text = [&items](size_t i, const QString &field) {
        return items[i]->bibFieldsElements().value(field).front().stringContents();
    };
    for (const QString &field : {u"journal"_s, u"year"_s}) {
        SCOPED_TRACE(field.toStdString());
        EXPECT_EQ(text(0, field), text(1, field));
        EXPECT_EQ(text(0, field).constData(), text(1, field).constData());
    }
    // Titles are an entry's own: equal ones are not looked for.
    EXPECT_EQ(text(0, u"title"_s), text(1, u"title"_s));
    EXPECT_NE(text(0, u"title"_s).constData(), text(1, u"title"_s).constData());
    EXPECT_EQ(items[0]->bibType().constData(), items[1]->bibType().constData());
    ASSERT_EQ(items[1]->authorList().size(), 1);
    EXPECT_EQ(items[0]->authorList().front().familyName().constData(),
              items[1]->authorList().front().familyName().constData());
    EXPECT_EQ(items[1]->fieldDataForView(u"journal"_s), u"J. Chem. Phys.");
}

TEST(BibFileReader, commentKeepsLineBreaksAndPreambleCollapsesSpaces)
{
    BibFixture fixture;
    auto database =
        fixture.load("@comment{one\n\ttwo}\n@preamble{ \\def  \\x\n  {y} }\n@misc{k, a={1}}\n");
    ASSERT_TRUE(database);
    EXPECT_EQ(database->commentList(), QStringList{u"one\n\ttwo"_s});
    EXPECT_EQ(database->preambleList(), QStringList{u"\\def \\x {y}"_s});
}

// What is not read as an entry is kept word for word, as a comment or as unread text.
TEST(BibFileReader, textThatIsNoEntryIsKeptWordForWord)
{
    struct Row
    {
        const char *name;
        QByteArray bytes;
        QStringList keys, comments, unread;
    };
    const Row rows[] = {
        {"stray text", kEntryA + "Some words, with a mail@example.org address.\n" + kEntryB,
         {u"a"_s, u"b"_s}, {u"Some words, with a mail@example.org address."_s}, {}},
        {"broken entry", "@misc{nokey title = {x}}\n" + kEntryB, {u"b"_s},
         {u"@misc{nokey title = {x}}"_s}, {}},
        {"runaway entry up to the next entry line",
         "@misc{r, title = {open\n@book{b, title = {Beta}}\n@misc{c, title={C}}\n",
         {u"b"_s, u"c"_s}, {}, {u"@misc{r, title = {open"_s}},
        {"unread text up to the next readable block",
         "@misc{u, title = \"a } b\" x}\nmore } text\n" + kEntryB +
             "@misc{v, title = {open\n\n} stray\n",
         {u"b"_s}, {},
         {u"@misc{u, title = \"a } b\" x}\nmore } text"_s, u"@misc{v, title = {open\n\n} stray"_s}},
        {"commented-out entry", "@comment{@InProceedings{x,\n title = {T}}\n}\n" + kEntryB,
         {u"b"_s}, {u"@InProceedings{x,\n title = {T}}"_s}, {}},
    };
    for (const Row &row : rows) {
        BibFixture fixture;
        auto database = fixture.load(row.bytes);
        ASSERT_TRUE(database) << row.name;
        EXPECT_EQ(keysOf(*database), row.keys) << row.name;
        EXPECT_EQ(database->commentList(), row.comments) << row.name;
        EXPECT_EQ(database->unreadTextList(), row.unread) << row.name;
    }
}

TEST(BibFileReader, duplicateKeyErrorNamesOldAndNewKey)
{
    BibFixture fixture;
    auto database = fixture.load("@misc{k, a={1}}\n@misc{k, a={2}}\n");
    ASSERT_TRUE(database);
    EXPECT_EQ(errorsOf(*database), QStringList{error("ReadError_DupBibKey", u"k"_s, u"k.1"_s)});
    EXPECT_EQ(database->bibItemForKey(u"k.1"_s)->fieldDataForEdit(u"a"_s), u"2"_s);
}

// ---- the settings block

TEST(BibFileReader, settingsBlockAtTheStartIsApplied)
{
    BibFixture fixture;
    auto database = fixture.load(
        "@COMMENT { Quirefold_Settings,\n\ttextencoding = {4},\n\tlinemode = {1},\n"
        "\tdatabase_ID = {abcdefabcdefabcdefabcdefabcdef12},\n\tattachment_mode = {3},\n"
        "\trename_after_bibkey = {NO},\n\tkeep_full_path = {YES},\n"
        "\tdescription = {My refs},\n\tattachment_path = {Files},\n"
        "\tlast_saved = {2008-04-01 17:05:09 +0900}\n}\n\n" +
        kEntryA);
    ASSERT_TRUE(database);
    const LocalDatabaseProperties &p = database->localProperties();
    EXPECT_EQ(p.lineEnding(), 1);
    EXPECT_EQ(p.fileAttachmentMode(), 3);
    EXPECT_FALSE(p.renameAfterBibkey());
    EXPECT_TRUE(p.keepFullPath());
    EXPECT_EQ(p.description(), u"My refs"_s);
    EXPECT_EQ(p.attachmentPath(), u"Files"_s);
    EXPECT_EQ(database->uniqueID(), u"abcdefabcdefabcdefabcdefabcdef12"_s);
    EXPECT_TRUE(database->commentList().isEmpty());
    EXPECT_FALSE(database->readingErrors());
}

TEST(BibFileReader, laterSettingsBlockIsNeitherAppliedNorKept)
{
    BibFixture fixture;
    auto database =
        fixture.load(kEntryA + "@COMMENT { Quirefold_Settings, description = {Late}}\n");
    ASSERT_TRUE(database);
    EXPECT_NE(database->description(), u"Late"_s);
    EXPECT_TRUE(database->commentList().isEmpty());
}

TEST(BibFileReader, reservationForAnotherHostIsReported)
{
    BibFixture fixture;
    auto database =
        fixture.load("@COMMENT { Quirefold_Settings, privileged_host = {no-such-host.invalid},"
                     " privileged_user = {nobody-else}, privileged_since = {2026-01-02T03:04:05Z}}\n" +
                     kEntryA);
    ASSERT_TRUE(database);
    EXPECT_EQ(database->localProperties().privilegedSince(), u"2026-01-02T03:04:05Z"_s);
    EXPECT_EQ(errorsOf(*database), QStringList{error("ReadError_NoPrivilegeToWrite",
                                                     u"nobody-else"_s, u"no-such-host.invalid"_s)});
    EXPECT_FALSE(database->isDirty()); // never dirty while reserved by someone else
}

// ---- text encodings

TEST(BibFileReader, announcedEncodingFollowsTheRules)
{
    const QByteArray settings = "@COMMENT { Quirefold_Settings,\n\ttextencoding = {-2147481087},\n";
    const QByteArray padded = settings + QByteArray(200 - settings.size(), ' ');
    EXPECT_EQ(BibFileReader::announcedEncoding(padded), 0x80000A01u);
    EXPECT_EQ(BibFileReader::announcedEncoding(padded.left(164)), std::nullopt);
    EXPECT_EQ(BibFileReader::announcedEncoding("\xFF\xFE@\0"), TextEncodings::UTF16);
    EXPECT_EQ(BibFileReader::announcedEncoding(QByteArray(200, 'x')), std::nullopt);
}

TEST(BibFileReader, utf16WithByteOrderMarkIsReadWhateverTheSettingsSay)
{
    const QString text =
        u"@COMMENT { Quirefold_Settings, textencoding = {4}}\n@misc{\u00e9t\u00e9, title = {\u00c5}}\n"_s;
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    BibFixture fixture;
    auto database = fixture.load(bytes);
    ASSERT_TRUE(database);
    EXPECT_EQ(keysOf(*database), QStringList{u"\u00e9t\u00e9"_s});
    EXPECT_FALSE(database->readingErrors());
}

TEST(BibFileReader, utf16WithoutByteOrderMarkIsRecognised)
{
    const QString text = u"@misc{k, title = {T\u00e9}}\n"_s;
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() >> 8));
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
    }
    BibFixture fixture;
    auto database = fixture.load(bytes);
    ASSERT_TRUE(database);
    EXPECT_EQ(keysOf(*database), QStringList{u"k"_s});
}

TEST(BibFileReader, latin1ByteInUtf8IsReadAndReported)
{
    BibFixture fixture;
    auto database = fixture.load("% caf\xE9 comment\n@misc{k, title = {na\xC3\xAFve}}\n");
    ASSERT_TRUE(database);
    EXPECT_EQ(keysOf(*database), QStringList{u"k"_s});
    const QStringList errors = errorsOf(*database);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[1], error("ReadError_EncodingRepaired", u"1"_s, u"1"_s));
    EXPECT_EQ(database->commentList(), QStringList{u"% caf\u00e9 comment"_s});
    EXPECT_EQ(database->bibItemForKey(u"k"_s)->fieldDataForEdit(u"title"_s), u"na\u00efve"_s);
    EXPECT_TRUE(database->isDirty());
}

TEST(BibFileReader, wholeFileInAnotherEncodingIsReadInThatOne)
{
    // EUC-JP text for the Japanese word for "bibliography", many times, in a UTF-8 default.
    QByteArray bytes = "@misc{j, title = {";
    for (int i = 0; i < 40; ++i)
        bytes += "\xBB\xB2\xB9\xCD\xCA\xB8\xB8\xA5";
    bytes += "}}\n";
    BibFixture fixture;
    auto database = fixture.load(bytes);
    ASSERT_TRUE(database);
    ASSERT_EQ(keysOf(*database), QStringList{u"j"_s});
    EXPECT_TRUE(database->encodingChangedOnRead());
    EXPECT_NE(database->encoding(), TextEncodings::UTF8);
    EXPECT_TRUE(database->bibItemForKey(u"j"_s)
                    ->fieldDataForEdit(u"title"_s)
                    .startsWith(u"\u53c2\u8003\u6587\u732e"_s));
}

TEST(BibFileReader, sevenBitJapaneseIsRecognised)
{
    // "\u65e5\u672c" (Japan) in ISO-2022-JP, in files without a settings block.
    struct Row
    {
        const char *name;
        QByteArray bytes;
        bool japanese;
    };
    const Row rows[] = {
        {"switch by ESC $ B", "@misc{j, title = {\x1B$BF|K\\\x1B(B}}\n", true},
        {"switch by ESC $ @ after another escape",
         "@misc{j, title = {\x1B(Bx\x1B$@F|K\\\x1B(B}}\n", true},
        {"escapes that switch nothing", "@misc{j, title = {a\x1B(Bb\x1B$}}\n", false},
    };
    for (const Row &row : rows) {
        BibFixture fixture;
        auto database = fixture.load(row.bytes);
        ASSERT_TRUE(database) << row.name;
        ASSERT_EQ(keysOf(*database), QStringList{u"j"_s}) << row.name;
        EXPECT_EQ(database->encoding() == TextEncodings::ISO2022JP, row.japanese) << row.name;
        if (row.japanese) {
            EXPECT_TRUE(database->bibItemForKey(u"j"_s)->fieldDataForEdit(u"title"_s).endsWith(
                u"\u65e5\u672c"_s))
                << row.name;
        }
    }
}

// ---- stopping

TEST(BibFileReader, stopBeforeReadingLeavesAnIncompleteDatabase)
{
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "@misc{k" + QByteArray::number(i) + ", title = {Some title " +
                 QByteArray::number(i) + "}}\n";
    BibFixture fixture;
    auto database = LocalDatabase::localDatabaseWithFile(fixture.write(u"big.bib"_s, bytes), false);
    ASSERT_TRUE(database);
    database->startLoading();
    database->setStopLoading(true);
    database->waitForLoading();
    database->setWaitingStatus(0);
    const int read = static_cast<int>(database->allItems()->size());
    EXPECT_LE(read, 3000);
    EXPECT_EQ(database->readIncomplete(), read < 3000);
    EXPECT_EQ(database->numItems(), read);
}

TEST(BibFileReader, unreadableFileIsReportedAndMarkedIncomplete)
{
    BibFixture fixture;
    const QString path = fixture.write(u"locked.bib"_s, kEntryA + kEntryB);
    QFile::setPermissions(path, QFileDevice::Permissions());
    if (QFile(path).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with permission to read any file";
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    ASSERT_TRUE(database);
    database->startLoading();
    database->waitForLoading();
    EXPECT_TRUE(database->readIncomplete());
    EXPECT_EQ(errorsOf(*database).size(), 1);
}

TEST(BibFileReader, largeFileExpandsOnSeveralThreadsWithMacrosDefinedLater)
{
    // Enough entries for the expansion to be shared among threads; the macro
    // is defined after every entry that uses it.
    QByteArray bytes;
    constexpr int kEntries = 4500;
    for (int i = 0; i < kEntries; ++i)
        bytes += "@article{k" + QByteArray::number(i) + ", author = {Doe, Jane and Roe" +
                 QByteArray::number(i) + ", Rick}, journal = jnl, title = {T\\\"{u}r " +
                 QByteArray::number(i) + "}}\n";
    bytes += "@string{jnl = {Journal of Tests}}\n";
    BibFixture fixture;
    auto database = fixture.load(bytes);
    ASSERT_TRUE(database);
    ASSERT_EQ(database->numItems(), kEntries);
    int expanded = 0;
    for (int i = 0; i < kEntries; ++i) {
        const BibItem &item = *database->allItems()->at(i);
        const QString n = QString::number(i);
        expanded += item.fieldDataForView(u"journal"_s) == u"Journal of Tests" &&
                    item.fieldDataForView(u"title"_s) == u"Tür "_s + n &&
                    item.authorList().size() == 2 &&
                    item.authorList().at(1).familyName() == u"Roe"_s + n;
    }
    EXPECT_EQ(expanded, kEntries);
}

TEST(BibFileReader, itemHeldElsewhereBecomesStrayWhenItsDatabaseCloses)
{
    BibFixture fixture;
    auto database = fixture.load(kEntryA + kEntryB);
    ASSERT_TRUE(database);
    const BibItemPtr kept = database->allItems()->front();
    const std::weak_ptr<BibItem> dropped = database->allItems()->back();
    const QString description = database->description();
    database.reset();
    EXPECT_TRUE(dropped.expired());
    EXPECT_TRUE(kept->strayItem());
    EXPECT_EQ(kept->fieldDataForView(u"title"_s), u"Alpha");
    EXPECT_EQ(kept->fieldDataForEdit(u"database"_s), Texts::format(u"NoDatabaseX", {description}));
}

// ---- reading in pieces on several threads: the same as reading in one

TEST(BibFileReader, readingInPiecesOnThreadsGivesWhatOnePieceGives)
{
    QByteArray clean = "% header line\n@string{j = {Journal}}\n@preamble{\"\\newcommand{\\x}{x}\"}\n";
    for (int i = 0; i < 60; ++i) {
        clean += "@article{k" + QByteArray::number(i) + ", author = {A. Author" +
                 QByteArray::number(i) + "}, journal = j, year = " + QByteArray::number(1990 + i) +
                 "}\n";
        if (i % 7 == 0)
            clean += "% a remark between entries\n";
    }
    const auto withLater = [&clean](const QByteArray &tail) { return clean + tail + clean.mid(40); };
    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"clean", clean},
        {"keyTakenInAnEarlierPiece", withLater("@misc{k3, title = {again}}\n")},
        {"macroInALaterPiece", withLater("@string{late = {Late}}\n")},
        {"problemInALaterPiece", withLater("stray words\n@misc{x, title = {y}}\n")},
        {"valueWithEntryLines", withLater("@misc{long, abstract = {one\n@article{inner, a = {b}}\ntwo}}\n")},
        {"runawayEntry", withLater("@misc{open, title = {never closed\n")},
        {"keylessEntry", withLater("@misc{, title = {no key}}\n")},
    };
    for (const Case &c : cases) {
        const ReadSnapshot whole = ReadSnapshot::of(c.bytes, 1, 1);
        EXPECT_GE(whole.entries.size(), 60) << c.name;
        for (const int parts : {2, 3, 4}) {
            for (const qsizetype minimum : {64, 500}) {
                EXPECT_TRUE(ReadSnapshot::of(c.bytes, parts, minimum) == whole)
                    << c.name << " in " << parts << " pieces of " << minimum;
            }
        }
    }
}

TEST(BibFileReader, yenSignIsABackslashOnlyInTheEncodingsThatWriteItSo)
{
    // UTF-8: a yen sign is a yen sign, in values, comments and kept text.
    BibFixture fixture;
    auto utf8 = fixture.load("@misc{y, note = {\xC2\xA5" "1000}}\n% costs \xC2\xA5" "5\n");
    ASSERT_TRUE(utf8);
    ASSERT_EQ(keysOf(*utf8), QStringList{u"y"_s});
    EXPECT_EQ(utf8->allItems()->front()->fieldDataForEdit(u"note"_s), u"\u00a5" "1000");
    EXPECT_EQ(utf8->commentList(), QStringList{u"% costs \u00a5" "5"_s});
}

TEST(BibFileReader, unicodeSpacesInValuesAreTheUsersText)
{
    // A thin space and an ideographic space are characters of a value, not
    // white space to be collapsed.
    BibFixture fixture;
    auto database = fixture.load("@misc{s, author = {\xE5\x8C\xBF\xE5\x90\x8D\xE3\x80\x80"
                                 "\xE5\xB8\x8C\xE6\x9C\x9B}, note = {10\xE2\x80\x89km,"
                                 " a\xC2\xA0" "b}}\n");
    ASSERT_TRUE(database);
    ASSERT_EQ(keysOf(*database), QStringList{u"s"_s});
    const BibItemPtr item = database->allItems()->front();
    EXPECT_EQ(item->fieldDataForEdit(u"author"_s), u"\u533f\u540d\u3000\u5e0c\u671b"_s);
    // A no-break space reads as a space (and a save writes one as a space).
    EXPECT_EQ(item->fieldDataForEdit(u"note"_s), u"10\u2009km, a b"_s);
}
