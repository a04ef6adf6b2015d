#include "StorageTestSupport.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/BibFileReader.h"
#include "storage/ReadSnapshot.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

QString error(const char *key, const QString &p1 = {}, const QString &p2 = {})
{
    return Texts::substitute(Texts::text(QString::fromUtf8(key)), {p1, p2});
}

const QByteArray kEntryA = "@article{a, title = {Alpha}, year = 2001}\n";
const QByteArray kEntryB = "@book{b, title = {Beta}}\n";

// The database of a file holding `bytes`, loaded and kept despite its reading errors.
std::unique_ptr<LocalDatabase> read(const QByteArray &bytes)
{
    BibFixture fixture;
    return fixture.load(bytes);
}

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

// ---- one small file per reading problem: what is recorded, and what is kept

// `errors` names the recorded errors ("ReadError_" left out), in order;
// comment blocks and texts kept verbatim are counted when not -1.
TEST(BibFileReader, recordsEachProblemAndKeepsEveryEntry)
{
    struct Row
    {
        const char *name;
        QByteArray bytes;
        const char *keys, *errors;
        int comments = -1, unreadTexts = -1;
    };
    const QByteArray nul = "@misc{n, note = {x" + QByteArray(1, '\0') + "y}}\n";
    const Row rows[] = {
        {"clean", kEntryA + kEntryB, "a b", "", 0, 0},
        {"tinyFileIsEmpty", "@misc{a}", "", ""},
        {"strayText", kEntryA + "This paragraph is not an entry.\n" + kEntryB, "a b", "BadBlock", 1,
         0},
        {"proseHeader", "==== IEEE export ====\nGenerated text\n" + kEntryA, "a", "BadBlock", 1, 0},
        {"percentLinesWithoutError", "% made by hand\n# note\n" + kEntryA, "a", "", 1, 0},
        {"atWithoutName", kEntryA + "@ {junk}\n" + kEntryB, "a b", "NoBlockName", 1, 0},
        {"nulInTheText", kEntryA + nul + kEntryB, "a n b", "NulCharacter"},
        {"duplicateKeys", "@misc{k, a={1}}\n@misc{k, a={2}}\n@misc{k, a={3}}\n", "k k.1 k.2",
         "DupBibKey DupBibKey"},
        {"parenthesised", "@article(p, title = {Paren})\n" + kEntryB, "p b", ""},
        {"entryWithoutComma", "@misc{nokey title = {x}}\n" + kEntryB, "b", "BadBibItem", 1, 0},
        {"entryWithoutKey", "@article{, title = {No key}}\n" + kEntryB, "untitled1 b", "NoBibKey",
         0, 0},
        {"commentLinesInsideEntry", "@misc{c,\n  % note = {old},\n  title = {T}}\n" + kEntryB,
         "c b", "CommentInEntry", 1, 0},
        {"parenInQuotes", "@article(q, title = \"Shape (Part I)\", year = {1973})\n" + kEntryB,
         "q b", ""},
        {"doubledComma", "@misc{d, title = {x},  , year = {1999}}\n" + kEntryB, "d b", ""},
        {"keyOnly", "@misc{lonely}\n" + kEntryB, "lonely b", ""},
        {"emptyEntry", "@misc{}\n" + kEntryB, "b", "EmptyBibItem"},
        {"entryWithoutBrace", "@misc nothing here\n" + kEntryB, "b", "EmptyBibItem"},
        {"runawayEntry", "@misc{r, title = {open\n\n" + kEntryB, "b", "RunawayBlock", 0, 1},
        {"badMath", "@misc{m, title = {$x}$}\n" + kEntryB, "b", "BadBibItem"},
        {"unclosedComment", "@comment{never closed\n" + kEntryB, "b", "BadComment", 0, 1},
        {"preambleWithoutBrace", "@preamble \"x\"\n" + kEntryB, "b", "BadPreamble"},
        {"macroSyntax", "@string{a = {x} {y}}\n" + kEntryB, "b", "BadMacro", 1, 0},
        {"emptyMacro", "@string{}\n" + kEntryB, "b", "EmptyMacro"},
        {"duplicateMacro", "@string{aa = {x}}\n@string{aa = {y}}\n" + kEntryB, "b", "DupMacro"},
        {"badSettingsBlock", "@COMMENT { Quirefold_Settings, linemode = {2} x}\n" + kEntryB, "b",
         "BadPrefs"},
        {"emptySettingsBlock", "@COMMENT { Quirefold_Settings,}\n" + kEntryB, "b", ""},
        {"noFinalLineBreak", "@misc{last, title = {End}}", "last", ""},
        // White space, line breaks included, may part "@", the type and the body.
        {"atApartFromItsType",
         "those with the inclination may use.@\n\nMaNuAl\t(scribe,\n title = {S})\n" + kEntryB,
         "scribe b", "BadBlock", 1, 0},
        {"typeApartFromItsBrace", "@\n  article\n  {x, title = {X}}\n" + kEntryB, "x b", "", 0, 0},
        // A broken entry and the stray text after it stay one piece of text.
        {"brokenEntryAndStrayText",
         kEntryA + "@misc{u, title = \"a } b\" x}\nmore } text\n" + kEntryB, "a b",
         "BadBibItem BadBlock", 0, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto database = read(row.bytes);
        ASSERT_TRUE(database);
        EXPECT_EQ(keysOf(*database), words(row.keys));
        const QStringList errors = errorsOf(*database), keys = words(row.errors);
        ASSERT_EQ(errors.size(), keys.size()) << errors.join(u'\n').toStdString();
        for (qsizetype i = 0; i < errors.size(); ++i) {
            // Every message is the keyed text; compare the part before its first parameter.
            const QString pattern = Texts::text(u"ReadError_"_s + keys[i]);
            EXPECT_TRUE(errors[i].startsWith(pattern.left(pattern.indexOf(u'%'))))
                << errors[i].toStdString() << " / " << keys[i].toStdString();
        }
        EXPECT_EQ(database->isDirty(), !keys.isEmpty());
        if (row.comments >= 0) {
            EXPECT_EQ(database->commentList().size(), row.comments);
        }
        if (row.unreadTexts >= 0) {
            EXPECT_EQ(database->unreadTextList().size(), row.unreadTexts);
        }
    }
}

// ---- what is read

TEST(BibFileReader, blockNamesAreCaseInsensitiveCommentsKeepLineBreaksPreamblesCollapse)
{
    auto database = read("@Article{x, title={T}}\n@ARTICLE{y, title={U}}\n"
                         "@comment{one\n\ttwo}\n@Preamble{ \\def  \\x\n  {y} }\n"
                         "@string{s = {v}}\n");
    ASSERT_TRUE(database);
    const BibItemList &items = *database->allItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->bibType() + items[1]->bibType(), u"ARTICLEARTICLE"_s);
    EXPECT_EQ(database->commentList(), QStringList{u"one\n\ttwo"_s});
    EXPECT_EQ(database->preambleList(), QStringList{u"\\def \\x {y}"_s});
    EXPECT_EQ(database->macroList()->count(), 1);
}

// What is not read as an entry is kept word for word, as a comment or as
// unread text ("|" parts the pieces).
TEST(BibFileReader, textThatIsNoEntryIsKeptWordForWord)
{
    const std::tuple<const char *, QByteArray, const char *, const char *, const char *> rows[] = {
        {"runaway entry up to the next entry line",
         "@misc{r, title = {open\n@book{b, title = {Beta}}\n@misc{c, title={C}}\n", "b c", "",
         "@misc{r, title = {open"},
        {"unread text up to the next readable block",
         "@misc{u, title = \"a } b\" x}\nmore } text\n" + kEntryB +
             "@misc{v, title = {open\n\n} stray\n",
         "b", "", "@misc{u, title = \"a } b\" x}\nmore } text|@misc{v, title = {open\n\n} stray"},
        {"commented-out entry", "@comment{@InProceedings{x,\n title = {T}}\n}\n" + kEntryB, "b",
         "@InProceedings{x,\n title = {T}}", ""},
    };
    for (const auto &[name, bytes, keys, comments, unread] : rows) {
        auto database = read(bytes);
        ASSERT_TRUE(database) << name;
        EXPECT_EQ(keysOf(*database), words(keys)) << name;
        EXPECT_EQ(database->commentList().join(u'|'), QString::fromUtf8(comments)) << name;
        EXPECT_EQ(database->unreadTextList().join(u'|'), QString::fromUtf8(unread)) << name;
    }
}

// ---- the settings block

TEST(BibFileReader, settingsBlockAtTheStartIsAppliedALaterOneNeitherAppliedNorKept)
{
    auto database =
        read("@COMMENT { Quirefold_Settings,\n\ttextencoding = {4},\n\tlinemode = {1},\n"
             "\tdatabase_ID = {abcdef12},\n\tattachment_mode = {3},\n"
             "\trename_after_bibkey = {NO},\n\tkeep_full_path = {YES},\n"
             "\tdescription = {My refs},\n\tattachment_path = {Files},\n"
             "\tlast_saved = {2008-04-01 17:05:09 +0900}\n}\n\n" +
             kEntryA + "@COMMENT { Quirefold_Settings, description = {Late}}\n");
    ASSERT_TRUE(database);
    const LocalDatabaseProperties &p = database->localProperties();
    EXPECT_EQ(u"%1 %2 %3 %4 "_s.arg(p.lineEnding())
                      .arg(p.fileAttachmentMode())
                      .arg(p.renameAfterBibkey())
                      .arg(p.keepFullPath()) +
                  p.description() + u' ' + p.attachmentPath() + u' ' + database->uniqueID(),
              u"1 3 0 1 My refs Files abcdef12"_s);
    EXPECT_TRUE(database->commentList().isEmpty());
    EXPECT_FALSE(database->readingErrors());
}

TEST(BibFileReader, reservationForAnotherHostIsReported)
{
    auto database =
        read("@COMMENT { Quirefold_Settings, privileged_host = {no-such-host.invalid},"
             " privileged_user = {nobody-else}, privileged_since = {2026-01-02T03:04:05Z}}\n" +
             kEntryA);
    ASSERT_TRUE(database);
    EXPECT_EQ(database->localProperties().privilegedSince(), u"2026-01-02T03:04:05Z"_s);
    EXPECT_EQ(errorsOf(*database), QStringList{error("ReadError_NoPrivilegeToWrite",
                                                     u"nobody-else"_s, u"no-such-host.invalid"_s)});
    EXPECT_FALSE(database->isDirty()); // never dirty while reserved by someone else
}

// ---- text encodings

// Files whose bytes are not the UTF-8 expected: each is read as the text it holds.
TEST(BibFileReader, fileInAnotherEncodingIsReadAsWritten)
{
    const auto utf16 = [](const QString &text, bool littleEndianWithMark) {
        QStringEncoder encoder(
            littleEndianWithMark ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
            littleEndianWithMark ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
        return QByteArray(encoder(text));
    };
    // EUC-JP text for the Japanese word for "bibliography", many times.
    const QByteArray eucJp =
        "@misc{j, title = {" + QByteArray("\xBB\xB2\xB9\xCD\xCA\xB8\xB8\xA5").repeated(40) + "}}\n";
    // (name, bytes, key, title starts, encoding or 0: not checked, changed on read)
    const std::tuple<const char *, QByteArray, QString, QString, quint32, bool> rows[] = {
        {"utf-16 with a mark, whatever the settings say",
         utf16(u"@COMMENT { Quirefold_Settings, textencoding = {4}}\n"
               u"@misc{\u00e9t\u00e9, title = {\u00c5}}\n"_s,
               true),
         u"\u00e9t\u00e9"_s, u"\u00c5"_s, 0, false},
        {"utf-16 without a mark", utf16(u"@misc{k, title = {T\u00e9}}\n"_s, false), u"k"_s,
         u"T\u00e9"_s, 0, false},
        {"euc-jp", eucJp, u"j"_s, u"\u53c2\u8003\u6587\u732e"_s, 0, true},
        {"iso-2022-jp", "@misc{j, title = {\x1B$BF|K\\\x1B(B}}\n", u"j"_s, u"\u65e5\u672c"_s,
         TextEncodings::ISO2022JP, false},
        {"iso-2022-jp switched by ESC $ @ after another escape",
         "@misc{j, title = {\x1B(Bx\x1B$@F|K\\\x1B(B}}\n", u"j"_s, u"x\u65e5\u672c"_s,
         TextEncodings::ISO2022JP, false},
        {"escapes that switch nothing", "@misc{j, title = {a\x1B(Bb\x1B$}}\n", u"j"_s, u"a"_s,
         TextEncodings::UTF8, false},
    };
    for (const auto &[name, bytes, key, title, encoding, changed] : rows) {
        SCOPED_TRACE(name);
        auto database = read(bytes);
        ASSERT_TRUE(database);
        ASSERT_EQ(keysOf(*database), QStringList{key});
        EXPECT_TRUE(database->allItems()->front()->fieldDataForEdit(u"title"_s).startsWith(title));
        EXPECT_FALSE(database->readingErrors() && !changed);
        EXPECT_EQ(database->encodingChangedOnRead(), changed);
        EXPECT_TRUE(changed ? database->encoding() != TextEncodings::UTF8
                            : !encoding || database->encoding() == encoding);
    }
}

TEST(BibFileReader, latin1ByteInUtf8IsReadAndReported)
{
    auto database = read("% caf\xE9 comment\n@misc{k, title = {na\xC3\xAFve}}\n");
    ASSERT_TRUE(database);
    const QStringList errors = errorsOf(*database);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[1], error("ReadError_EncodingRepaired", u"1"_s, u"1"_s));
    EXPECT_EQ(database->commentList(), QStringList{u"% caf\u00e9 comment"_s});
    EXPECT_EQ(database->bibItemForKey(u"k"_s)->fieldDataForEdit(u"title"_s), u"na\u00efve"_s);
}

// ---- stopping

// Stopped early, a load keeps what it read and says that it is incomplete.
TEST(BibFileReader, stoppedLoadLeavesAnIncompleteDatabase)
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

// Enough entries for the expansion to be shared among threads; the macro is
// defined after every entry that uses it.
TEST(BibFileReader, largeFileExpandsOnSeveralThreadsWithMacrosDefinedLater)
{
    QByteArray bytes;
    constexpr int kEntries = 4500;
    for (int i = 0; i < kEntries; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "@article{k" + n + ", author = {Doe, Jane and Roe" + n +
                 ", Rick}, journal = jnl, title = {T\\\"{u}r " + n + "}}\n";
    }
    auto database = read(bytes + "@string{jnl = {Journal of Tests}}\n");
    ASSERT_TRUE(database);
    ASSERT_EQ(database->numItems(), kEntries);
    int expanded = 0;
    for (int i = 0; i < kEntries; ++i) {
        const BibItem &item = *database->allItems()->at(i);
        expanded += item.fieldDataForView(u"journal"_s) == u"Journal of Tests" &&
                    item.fieldDataForView(u"title"_s) == u"Tür %1"_s.arg(i) &&
                    item.authorList().at(1).familyName() == u"Roe%1"_s.arg(i);
    }
    EXPECT_EQ(expanded, kEntries);
}

// ---- reading in pieces on several threads: the same as reading in one

TEST(BibFileReader, readingInPiecesOnThreadsGivesWhatOnePieceGives)
{
    QByteArray clean =
        "% header line\n@string{j = {Journal}}\n@preamble{\"\\newcommand{\\x}{x}\"}\n";
    for (int i = 0; i < 60; ++i) {
        clean += "@article{k" + QByteArray::number(i) + ", author = {A. Author" +
                 QByteArray::number(i) + "}, journal = j, year = " + QByteArray::number(1990 + i) +
                 "}\n";
        if (i % 7 == 0)
            clean += "% a remark between entries\n";
    }
    const auto withLater = [&clean](const QByteArray &tail) {
        return clean + tail + clean.mid(40);
    };
    const std::pair<const char *, QByteArray> cases[] = {
        {"clean", clean},
        {"keyTakenInAnEarlierPiece", withLater("@misc{k3, title = {again}}\n")},
        {"macroInALaterPiece", withLater("@string{late = {Late}}\n")},
        {"problemInALaterPiece", withLater("stray words\n@misc{x, title = {y}}\n")},
        {"valueWithEntryLines",
         withLater("@misc{long, abstract = {one\n@article{inner, a = {b}}\ntwo}}\n")},
        {"runawayEntry", withLater("@misc{open, title = {never closed\n")},
        {"keylessEntry", withLater("@misc{, title = {no key}}\n")},
    };
    for (const auto &[name, bytes] : cases) {
        const ReadSnapshot whole = ReadSnapshot::of(bytes, 1, 1);
        EXPECT_GE(whole.entries.size(), 60) << name;
        for (const int parts : {2, 3, 4}) {
            for (const qsizetype minimum : {64, 500}) {
                EXPECT_TRUE(ReadSnapshot::of(bytes, parts, minimum) == whole)
                    << name << " in " << parts << " pieces of " << minimum;
            }
        }
    }
}

// In UTF-8 a yen sign is a yen sign, in values and comments; a thin space and
// an ideographic space are characters of a value, not white space to collapse.
TEST(BibFileReader, yenSignsAndUnicodeSpacesInUtf8AreTheUsersText)
{
    auto database =
        read(u"@misc{s, author = {\u533f\u540d\u3000\u5e0c\u671b}, "
             u"note = {10\u2009km, a\u00a0b \u00a51000}}\n% costs \u00a55\n"_s.toUtf8());
    ASSERT_TRUE(database);
    ASSERT_EQ(keysOf(*database), QStringList{u"s"_s});
    const BibItemPtr item = database->allItems()->front();
    EXPECT_EQ(item->fieldDataForEdit(u"author"_s), u"\u533f\u540d\u3000\u5e0c\u671b"_s);
    // A no-break space reads as a space (and a save writes one as a space).
    EXPECT_EQ(item->fieldDataForEdit(u"note"_s), u"10\u2009km, a b \u00a51000"_s);
    EXPECT_EQ(database->commentList(), QStringList{u"% costs \u00a55"_s});
}
