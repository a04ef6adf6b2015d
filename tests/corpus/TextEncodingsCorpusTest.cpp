#include "CorpusSupport.h"

#include <tuple>

using namespace Qt::StringLiterals;
using QfTest::readCorpusFile;

// Real Japanese files and their UTF-8 twins: decoding in the file's own
// encoding gives exactly the twin's text, and writing it back the same bytes;
// decoding in a wrong encoding fails.
TEST(TextEncodingsCorpus, japaneseFilesDecodeToTheirUtf8Twins)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "corpus not present";
    const QString ieice = u"japanese/ipsj-ieice-templates/ieicej1.6a/"_s;
    const QString base = u"japanese/pbibtex-base/"_s;
    // (file, its encoding, its UTF-8 twin)
    const std::tuple<QString, quint32, QString> rows[] = {
        {ieice + u"UNIXSJIS/sieicej.bst"_s, TextEncodings::ShiftJIS,
         ieice + u"UNIXUTF8/sieicej.bst"_s},
        {ieice + u"WIN/sieicej.bst"_s, TextEncodings::ShiftJISCF,
         ieice + u"UNIXUTF8/sieicej.bst"_s},
        {ieice + u"MAC/sieicej.bst"_s, TextEncodings::MacJapanese,
         ieice + u"UNIXUTF8/sieicej.bst"_s},
        {ieice + u"UNIXEUC/sieicej.bst"_s, TextEncodings::JapaneseEUC,
         ieice + u"UNIXUTF8/sieicej.bst"_s},
        {base + u"jis/jxampl.bib"_s, TextEncodings::ISO2022JP, base + u"jxampl.bib"_s},
    };
    const auto withLineFeeds = [](QString text) {
        return text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    };
    for (const auto &[file, code, twinFile] : rows) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray bytes = readCorpusFile(file);
        ASSERT_FALSE(bytes.isEmpty());
        const std::optional<QString> text = TextEncodings::decode(bytes, code);
        const auto twin = TextEncodings::decode(readCorpusFile(twinFile), TextEncodings::UTF8);
        ASSERT_TRUE(text && twin);
        EXPECT_EQ(withLineFeeds(*text), withLineFeeds(*twin));
        EXPECT_EQ(TextEncodings::encode(*text, code), bytes);
    }
    EXPECT_FALSE(TextEncodings::decode(readCorpusFile(ieice + u"UNIXSJIS/sieicej.bst"_s),
                                       TextEncodings::UTF8));
}
