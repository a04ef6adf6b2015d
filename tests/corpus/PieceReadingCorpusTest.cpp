// Reading a file in pieces on several threads gives exactly what reading it in
// one piece gives, wherever the pieces are cut: every corpus file is read in
// one piece and in pieces of a few hundred characters.
#include "CorpusSupport.h"
#include "storage/ReadSnapshot.h"

TEST(PieceReadingCorpus, everyFileReadsTheSameInPiecesAsInOne)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    const QStringList files = QfTest::corpusFiles();
    for (const QString &path : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = file.readAll();
        const ReadSnapshot whole = ReadSnapshot::of(bytes, 1, 1);
        for (const auto &[parts, minimum] : {std::pair{2, 300}, std::pair{4, 150}}) {
            EXPECT_TRUE(ReadSnapshot::of(bytes, parts, minimum) == whole)
                << path.toStdString() << " in " << parts << " pieces";
        }
    }
    EXPECT_GT(files.size(), 1000);
}
