// The column setup dialog driven as a user would, with scripted answers to its messages.
#include "app/ui/fonts.h"
#include "setup/ui/setup_dialog.h"
#include "support/scripted_prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

ColumnSetup threeColumns() {
    ColumnSetup columns;
    const FieldType types[] = {FieldType::Text, FieldType::Number, FieldType::Date};
    for (int i = 0; i < kMaxColumns; ++i) {
        columns.type[i] = i < 3 ? types[i] : FieldType::Text;
        columns.size[i] = i == 1 ? 20 : i == 2 ? 12 : 30;
        columns.justify[i] = Justification::Left;
    }
    for (int i = 0; i < 3; ++i) {
        columns.sheetColumn[i] = i + 1;
        columns.title[i] = std::string("칸") + std::to_string(i + 1);
    }
    columns.columnCount = 3;
    columns.firstDataRow = 2;
    return columns;
}

struct Fixture {
    Document doc;
    testing::ScriptedPrompts prompts;
    std::unique_ptr<SetupDialog> dialog;
    Fixture() {
        doc.columns = threeColumns();
        dialog = std::make_unique<SetupDialog>(doc, prompts, preferredFont("굴림", 9));
        dialog->show();
    }
    void typeInto(QWidget* w, const QString& text) {
        w->setFocus();
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
};

// The widget Tab moves to from `w`: a group of type buttons is one stop, at its checked one.
QWidget* nextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(w->window()))
            return next;
    }
    return nullptr;
}

} // namespace

class SetupDialogTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheSetupWithItsTextsAndTabOrder() {
        Fixture f;
        SetupDialog& d = *f.dialog;
        QCOMPARE(d.windowTitle(), QString("Setting Rowbit"));
        QCOMPARE(d.okButton()->text(), QString("확 인"));
        QCOMPARE(d.cancelButton()->text(), QString("취 소"));
        QCOMPARE(d.letter(0)->count(), 27);
        QCOMPARE(d.letter(1)->currentText(), QString("B"));
        QCOMPARE(d.title(0)->text(), QString("칸1"));
        QVERIFY(d.typeButton(1, 1)->isChecked());
        QCOMPARE(d.size(0)->text(), QString("30"));
        // Slots not in use open empty: no title, no type, a blank size.
        QCOMPARE(d.letter(3)->currentIndex(), 0);
        QVERIFY(!d.typeButton(3, 0)->isChecked());
        QVERIFY(d.size(3)->text().isEmpty());
        QCOMPARE(d.startLine()->text(), QString("2"));
        // Kind by kind: the ten letters, then the ten titles...; the formulas, then the memo.
        QCOMPARE(nextTabStop(d.letter(9)), static_cast<QWidget*>(d.title(0)));
        QCOMPARE(nextTabStop(d.title(9)), static_cast<QWidget*>(d.typeButton(0, 0)));
        QCOMPARE(nextTabStop(d.typeButton(0, 0)), static_cast<QWidget*>(d.typeButton(1, 1)));
        QCOMPARE(nextTabStop(d.formula(9)), static_cast<QWidget*>(d.memoLetter()));
        QCOMPARE(nextTabStop(d.startLine()), static_cast<QWidget*>(d.okButton()));
        // Titles hold 16 bytes: eight Hangul syllables.
        d.title(0)->clear();
        f.typeInto(d.title(0), QString("가나다라마바사아자"));
        QCOMPARE(d.title(0)->text(), QString("가나다라마바사아"));
        QCOMPARE(d.draft().title[0], std::string("가나다라마바사아"));
    }

    void aChangedLetterAsksToReadAgain() {
        for (const int answer : {1, 2}) {
            Fixture f;
            SetupDialog& d = *f.dialog;
            d.letter(1)->setFocus();
            QTest::keyClick(d.letter(1), Qt::Key_Down); // B becomes C
            QCOMPARE(d.draft().sheetColumn[1], std::string("C"));
            f.prompts.messageAnswers = {answer};
            QTest::mouseClick(d.okButton(), Qt::LeftButton);
            QCOMPARE(f.prompts.messageTexts().front(), std::string(kReloadQuestion));
            QVERIFY(!d.isVisible());
            if (answer == 1) {
                QCOMPARE(d.outcome(), SetupOutcome::Reload);
                QCOMPARE(f.doc.columns.sheetColumn[1], 3);
            } else {
                QCOMPARE(d.outcome(), SetupOutcome::Cancelled);
                QCOMPARE(f.prompts.messageTexts().back(), std::string(kSetupCancelled));
                QCOMPARE(f.doc.columns.sheetColumn[1], 2);
            }
        }
    }

    void aUsedSlotWithoutSizeKeepsTheDialogOpenAtThatSize() {
        Fixture f;
        SetupDialog& d = *f.dialog;
        // A new slot shows String and 30 whatever is typed or clicked there.
        d.letter(3)->setFocus();
        QTest::keyClick(d.letter(3), Qt::Key_Down);
        QVERIFY(d.typeButton(3, 0)->isChecked());
        QCOMPARE(d.size(3)->text(), QString("30"));
        QTest::mouseClick(d.typeButton(3, 1), Qt::LeftButton);
        QVERIFY(d.typeButton(3, 0)->isChecked());

        d.size(0)->setFocus();
        d.size(0)->selectAll();
        QTest::keyClick(d.size(0), Qt::Key_Delete);
        d.okButton()->setFocus();
        f.prompts.messageAnswers = {1};
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        QCOMPARE(f.prompts.messageTexts().back(), std::string(kSizeMissing));
        QVERIFY(d.isVisible());
        QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.size(0)));
        QCOMPARE(f.doc.columns, threeColumns());

        f.typeInto(d.size(0), QString("12"));
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        QCOMPARE(d.outcome(), SetupOutcome::Reload);
        QCOMPARE(f.doc.columns.size[0], 12);
        QCOMPARE(f.doc.columns.columnCount, 4);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rowbit::ui::installFontSubstitutions();
    SetupDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "setup_dialog_test.moc"
