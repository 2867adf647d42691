// Byte limits of the record form's boxes: a paste past the limit keeps what fits, never half a
// character, as a line edit's length limit does.
#include "form/ui/byte_limit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace rowbit::ui;

class ByteLimitTest : public QObject {
    Q_OBJECT

private slots:
    void aPasteKeepsWhatFits_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");

        QTest::newRow("fits whole") << 10 << "ab" << 2 << "가나"
                                    << "ab가나";
        QTest::newRow("cut at the end") << 6 << "ab" << 2 << "가나다"
                                        << "ab가나";
        QTest::newRow("never half a syllable") << 5 << "ab" << 2 << "가나다"
                                               << "ab가";
        QTest::newRow("in the middle") << 6 << "ab" << 1 << "가나다"
                                       << "a가나b";
        QTest::newRow("nothing fits") << 2 << "ab" << 2 << "가"
                                      << "ab";
        QTest::newRow("a field of 100")
            << 100 << QString(98, 'x') << 98 << "가나다" << QString(98, 'x') + "가";
    }

    void aPasteKeepsWhatFits() {
        QFETCH(int, bytes);
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QApplication::clipboard()->setText(pasted);

        QLineEdit line;
        line.setValidator(new Cp949Limit(static_cast<std::size_t>(bytes), &line));
        line.setText(before);
        line.setCursorPosition(cursor);
        line.paste();
        QCOMPARE(line.text(), after);

        QPlainTextEdit memo;
        limitBytes(&memo, static_cast<std::size_t>(bytes));
        memo.setPlainText(before);
        QTextCursor at = memo.textCursor();
        at.setPosition(cursor);
        memo.setTextCursor(at);
        memo.paste();
        QCOMPARE(memo.toPlainText(), after);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ByteLimitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "byte_limit_test.moc"
