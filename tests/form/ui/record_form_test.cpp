// The record form and the lookup window on screen: the request carried out on OK, Cancel
// leaving everything, the read-only delete, keypad plus, F12, Enter-as-Tab, Hangul keys, a
// refused number, a number wider than its picture and a formula that overflows,
// and Select on an empty lookup list.
#include "app/picture.h"
#include "app/ui/record_list_view.h"
#include "form/ui/lookup_window.h"
#include "form/ui/record_form.h"
#include "support/scripted_prompts.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

const std::int32_t kToday = picture::serialFromCivil({2026, 12, 7});

// Date (A), client with a list (B), quantity (C), amount = C*1000 (D), a hidden column E and
// a memo; two records.
void fill(Document& doc, AppState& state) {
    ColumnSetup& columns = doc.columns;
    columns.columnCount = 5;
    columns.sheetColumn = {1, 2, 3, 4, 5};
    columns.title = {"일자", "거래처", "수량", "금액", ""};
    columns.type = {FieldType::Date, FieldType::Text, FieldType::Number, FieldType::Number,
                    FieldType::Text};
    columns.size = {12, 20, 20, 20, 10};
    columns.hasLookup[1] = 1;
    columns.formula[3] = "C*1000";
    columns.memoColumn = 6;
    columns.memoTitle = "메모";
    columns.memoWidth = 40;
    columns.memoHeight = 3;
    state.datePicture = "@D9-";
    state.fontSize = 9;
    int n = 0;
    for (const char* client : {"한빛상사", "푸른농장"}) {
        doc.records.buffer.clear();
        doc.records.buffer.col = {"15-10-01", client, "2", "2,000"};
        doc.records.buffer.memo = "메모 " + std::to_string(++n);
        doc.records.add();
    }
}

void type(QWidget* w, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class RecordFormTest : public QObject {
    Q_OBJECT

private slots:
    void insertStartsWithTodayAndOkAddsAtTheEnd() {
        Document doc;
        AppState state;
        fill(doc, state);
        const RecordCommand command = RecordCommand::Insert;
        testing::ScriptedPrompts prompts;
        const QString today = QString::fromStdString(picture::formatDate(picture::today(), "@D9-"));
        form::FormOutcome outcome = form::FormOutcome::Cancelled;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<RecordForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QString("자 료 추 가"));
            QCOMPARE(form->okButton()->text(), QString("확 인"));
            QCOMPARE(form->cancelButton()->text(), QString("취 소"));
            QCOMPARE(form->titleLabel(2)->text(), QString("거래처"));
            QCOMPARE(form->field(1)->text(), today);
            QVERIFY(form->field(2)->text().isEmpty());
            QVERIFY(form->lookupButton(2)->isVisibleTo(form));
            QVERIFY(!form->lookupButton(1)->isVisibleTo(form));
            QVERIFY(!form->field(5)->isVisibleTo(form)); // blank title
            form->field(3)->setText("3");
            form->field(3)->setModified(true);
            emit form->field(3)->editingFinished();
            QCOMPARE(form->field(4)->text(), QString("3,000"));
            QCOMPARE(form->field(4)->alignment() & Qt::AlignRight, Qt::AlignRight);
            form->okButton()->click();
        });
        outcome = RecordForm::run(doc, state, prompts, command, 0, nullptr);
        QCOMPARE(outcome, form::FormOutcome::Done);
        QCOMPARE(doc.records.count(), std::size_t(3));
        QCOMPARE(QString::fromStdString(doc.records.at(3).col[0]), today);
        QCOMPARE(doc.records.at(3).col[2], std::string("3"));
        QCOMPARE(doc.records.at(3).col[3], std::string("3,000"));
    }

    void changeLoadsTheRecordAndCancelLeavesEverything() {
        for (bool ok : {true, false}) {
            Document doc;
            AppState state;
            fill(doc, state);
            const RecordCommand command = RecordCommand::Change;
            testing::ScriptedPrompts prompts;
            RecordForm form(doc, state, prompts, command, 1, kToday);
            QCOMPARE(form.windowTitle(), QString("자 료 수 정"));
            QCOMPARE(form.field(2)->text(), QString("한빛상사"));
            QCOMPARE(form.field(4)->text(), QString("2,000"));
            QCOMPARE(form.memoBox()->toPlainText(), QString("메모 %1").arg(1));
            form.memoBox()->setPlainText("첫 줄");
            form.field(3)->setText("5");
            form.field(3)->setModified(true);
            emit form.field(3)->editingFinished(); // a check keeps the memo as typed
            (ok ? form.okButton() : form.cancelButton())->click();
            QCOMPARE(doc.records.count(), std::size_t(2));
            QCOMPARE(doc.records.at(1).col[2], std::string(ok ? "5" : "2"));
            QCOMPARE(doc.records.at(1).col[3], std::string(ok ? "5,000" : "2,000"));
            QCOMPARE(doc.records.at(1).memo, std::string(ok ? "첫 줄" : "메모 1"));
        }
    }

    void deleteIsReadOnlyAndOkDeletes() {
        Document doc;
        AppState state;
        fill(doc, state);
        const RecordCommand command = RecordCommand::Delete;
        testing::ScriptedPrompts prompts;
        RecordForm form(doc, state, prompts, command, 1, kToday);
        QCOMPARE(form.windowTitle(), QString("자 료 삭 제"));
        QCOMPARE(form.field(2)->text(), QString("한빛상사"));
        for (int i = 1; i <= kMaxColumns; ++i) {
            QVERIFY(!form.field(i)->isEnabled());
            QVERIFY(!form.lookupButton(i)->isEnabled());
        }
        QVERIFY(!form.memoBox()->isEnabled());
        QVERIFY(form.okButton()->isEnabled() && form.cancelButton()->isEnabled());
        form.okButton()->click();
        QCOMPARE(doc.records.count(), std::size_t(1));
        QCOMPARE(doc.records.at(1).col[1], std::string("푸른농장"));
    }

    void keypadPlusF12AndHangulKeys() {
        Document doc;
        AppState state;
        fill(doc, state);
        const RecordCommand command = RecordCommand::Insert;
        testing::ScriptedPrompts prompts;
        RecordForm form(doc, state, prompts, command, 1, kToday);
        std::vector<std::vector<std::string>> offered;
        form.setLookupChooser([&](const std::vector<std::string>& entries, QWidget*) {
            offered.push_back(entries);
            return std::optional<std::string>();
        });
        QTest::keyClicks(form.field(3), "12");
        QTest::keyClick(form.field(3), Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(form.field(3)->text(), QString("12000"));
        QTest::keyClick(form.field(2), Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(form.field(2)->text(), QString("+"));

        // F12 on a column without a list still opens the (empty) window; the field is blank.
        form.field(1)->setText("26-12-07");
        QTest::keyClick(form.field(1), Qt::Key_F12);
        QCOMPARE(offered.size(), std::size_t(1));
        QVERIFY(offered[0].empty());
        QVERIFY(form.field(1)->text().isEmpty());

        // Hangul typed key by key; a syllable that would pass 100 bytes is refused whole.
        type(form.field(2), "가나");
        QCOMPARE(form.field(2)->text(), QString("+가나"));
        form.field(2)->setText(QString(99, 'x'));
        type(form.field(2), "다");
        QCOMPARE(form.field(2)->text(), QString(99, 'x'));
        type(form.field(2), "y");
        QCOMPARE(form.field(2)->text().size(), 100);

        // Through an input method: composing is never cut; the committed syllable counts.
        for (int room : {1, 2}) {
            form.field(2)->setText(QString(100 - room, 'x'));
            QInputMethodEvent composing(QStringLiteral("ㄱ"), {});
            QApplication::sendEvent(form.field(2), &composing);
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("가"));
            QApplication::sendEvent(form.field(2), &commit);
            QCOMPARE(form.field(2)->text(), QString(100 - room, 'x') + (room == 2 ? "가" : ""));
        }
    }

    void enterAndArrowsMoveTheFocusButTheMemoBreaksLines() {
        Document doc;
        AppState state;
        fill(doc, state);
        const RecordCommand command = RecordCommand::Insert;
        testing::ScriptedPrompts prompts;
        RecordForm form(doc, state, prompts, command, 1, kToday);
        form.show();
        QApplication::setActiveWindow(&form);
        form.field(1)->setFocus();
        QTest::keyClick(form.field(1), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), form.field(2));
        QTest::keyClick(form.field(2), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), form.lookupButton(2));
        QTest::keyClick(form.lookupButton(2), Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), form.field(3));
        QTest::keyClick(form.field(3), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), form.lookupButton(2));
        QTest::keyClick(form.lookupButton(2), Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), form.field(2));
        form.field(4)->setFocus();
        QTest::keyClick(form.field(4), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), form.memoBox()); // hidden field 5 skipped
        QTest::keyClicks(form.memoBox(), "a");
        QTest::keyClick(form.memoBox(), Qt::Key_Return);
        QTest::keyClicks(form.memoBox(), "b");
        QCOMPARE(form.memoBox()->toPlainText(), QString("a\nb"));
        QCOMPARE(QApplication::focusWidget(), form.memoBox());
    }

    void refusedNumberBlanksTheFieldAndKeepsFormulas() {
        Document doc;
        AppState state;
        fill(doc, state);
        const RecordCommand command = RecordCommand::Change;
        testing::ScriptedPrompts prompts;
        RecordForm form(doc, state, prompts, command, 1, kToday);
        form.field(3)->setText("12a");
        form.field(3)->setModified(true);
        emit form.field(3)->editingFinished();
        QCOMPARE(prompts.messageTexts(), std::vector<std::string>{"숫자만 입력하세요"});
        QVERIFY(form.field(3)->text().isEmpty());
        QCOMPARE(form.field(4)->text(), QString("2,000"));
        QCOMPARE(form.focusWidget(), form.field(3));

        // A typed client that picks one list entry is replaced without a window.
        form.setLookupChooser([](const std::vector<std::string>&, QWidget*) {
            return std::optional<std::string>("chosen");
        });
        form.field(2)->setText("x");
        form.field(2)->setModified(true);
        emit form.field(2)->editingFinished();
        QCOMPARE(form.field(2)->text(), QString("chosen"));
    }

    void aWideNumberIsKeptAndAFormulaOverflowIsTold() {
        Document doc;
        AppState state;
        fill(doc, state);
        const RecordCommand command = RecordCommand::Change;
        testing::ScriptedPrompts prompts;
        RecordForm form(doc, state, prompts, command, 1, kToday);
        form.field(3)->setText("12345678901234567890");
        form.field(3)->setModified(true);
        emit form.field(3)->editingFinished();
        QCOMPARE(form.field(3)->text(), QString(25, '#'));
        QCOMPARE(form.field(3)->toolTip(), QString("12,345,678,901,234,567,890"));
        QCOMPARE(prompts.messageTexts(),
                 std::vector<std::string>{"금액 칸: 계산 결과가 너무 큽니다"});
        QVERIFY(form.field(4)->text().isEmpty());
        QCOMPARE(form.focusWidget(), form.field(4));
        form.okButton()->click();
        QCOMPARE(doc.records.at(1).col[2], std::string("12,345,678,901,234,567,890"));
    }

    void lookupWindowSelectsAndAnEmptyListCloses() {
        LookupWindow window({"Seoul", "Busan"}, nullptr);
        QCOMPARE(window.windowTitle(), QString("Select LookUp"));
        QCOMPARE(window.selectButton()->text(), QString("Select"));
        QCOMPARE(window.closeButton()->text(), QString("Close"));
        QCOMPARE(window.list()->selectedLine(), std::size_t(1));
        window.list()->selectLine(2);
        window.selectButton()->click();
        QCOMPARE(window.chosen(), std::optional<std::string>("Busan"));

        // Select with nothing to fetch ends the window without a choice, never the program.
        LookupWindow empty({}, nullptr);
        empty.selectButton()->click();
        QCOMPARE(empty.result(), int(QDialog::Rejected));
        QCOMPARE(empty.chosen(), std::optional<std::string>());
    }
};

QTEST_MAIN(RecordFormTest)
#include "record_form_test.moc"
