// tavelo-admin print-list: the learner's filtered words as a PDF, without a screen.
#include "PdfText.h"
#include "PrintFixture.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

class AdminPrintListTest : public PrintFixture {
protected:
    int Run(const QStringList& args, QString* output = nullptr, QString database = QString()) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVELO_ADMIN),
                QStringList({"--db", database.isEmpty() ? db.Path() : database}) + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (output != nullptr) {
            *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        }
        return p.exitCode();
    }
    QString Pdf() const { return out.filePath(QStringLiteral("list.pdf")); }
};

TEST_F(AdminPrintListTest, WritesTheFilteredListWithTheLearnersSettings) {
    AddLearner();
    AddWords(300);
    db.SetSetting(100, 71, 0); // no translation: up to four columns
    db.SetSetting(100, 73, 1);
    QString output;
    ASSERT_EQ(Run({"print-list", "100", "--max-ability", "10000", "--min-passes", "0", "--columns",
                   "3", "--pdf", Pdf()},
                  &output),
              0)
        << output.toStdString();
    EXPECT_TRUE(output.startsWith(QStringLiteral("300 words, 3 pages, 3 columns")))
        << output.toStdString();
    auto pages = ReadPdf(Pdf());
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(pages[2].Texts().contains(QStringLiteral("3")));

    // The dialog's starting limits: score <= 4 and passes >= 1.
    const qsizetype listed = Words("r.USER_ID = 100 and ABILITY <= 4 and WORD_ROUND >= 1").size();
    ASSERT_EQ(Run({"print-list", "100", "--pdf", Pdf()}, &output), 0);
    EXPECT_TRUE(output.startsWith(QStringLiteral("%1 words, 2 pages, 3 columns").arg(listed)))
        << output.toStdString(); // the stored column count
    pages = ReadPdf(Pdf());
    ASSERT_EQ(pages.size(), 2u);
    QStringList words;
    for (const TPdfPage& page : pages) {
        words << page.Texts().filter(QRegularExpression(QStringLiteral("^w")));
    }
    EXPECT_EQ(words, Words("r.USER_ID = 100 and ABILITY <= 4 and WORD_ROUND >= 1"));
}

// Copied from the PDF, the demo list gives back the Han characters it prints, none read as a
// radical that shares its glyph.
TEST_F(AdminPrintListTest, DemoListTextLayerHoldsThePrintedHan) {
    const QString demo = out.filePath(QStringLiteral("demo.mdb"));
    ASSERT_EQ(
        Run({"init", "--demo", "--no-speak", "--data", TAVELO_SOURCE_DATA_DIR}, nullptr, demo), 0);
    ASSERT_EQ(Run({"print-list", "100", "--max-ability", "10000", "--min-passes", "0", "--columns",
                   "1", "--pdf", Pdf()},
                  nullptr, demo),
              0);
    const auto han = [](const QString& text) {
        QList<uint> found;
        for (uint c : text.toUcs4()) {
            if (QChar::script(c) == QChar::Script_Han) {
                found << c; // radicals and strokes count as Han too
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    QString copied;
    for (const TPdfPage& page : ReadPdf(Pdf())) {
        copied += page.Texts().join(QString());
    }
    db.Exec(QStringLiteral("attach database '%1' as demo").arg(demo));
    const QString printed =
        db.Scalar(QStringLiteral("select group_concat(b.WORD_NAME || b.WORD_TRANS, '') "
                                 "from demo.Recite r join demo.Book b on r.BOOK_ID = "
                                 "b.BOOK_ID and r.WORD_ID = b.WORD_ID where r.USER_ID = 100"))
            .toString();
    ASSERT_GT(han(printed).size(), 600);
    EXPECT_EQ(han(copied), han(printed));
    for (const char* c : {"一", "人", "大", "里", "生", "面"}) {
        EXPECT_TRUE(copied.contains(QString::fromUtf8(c))) << c;
    }
}

TEST_F(AdminPrintListTest, RefusesBadArgumentsAndUnknownLearners) {
    AddLearner();
    QString output;
    EXPECT_EQ(Run({"print-list", "100"}, &output), 1);
    EXPECT_EQ(Run({"print-list", "101", "--pdf", Pdf()}, &output), 1);
    EXPECT_TRUE(output.contains(QLatin1String("no learner 101")));
    EXPECT_EQ(Run({"print-list", "100", "--columns", "9", "--pdf", Pdf()}, &output), 1);
    EXPECT_EQ(Run({"print-list", "100", "--pdf", out.filePath("no/such/dir.pdf")}, &output), 1);
    EXPECT_FALSE(QFile::exists(Pdf()));
}

} // namespace
