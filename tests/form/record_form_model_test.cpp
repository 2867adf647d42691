#include "form/record_form_model.h"

#include "app/picture.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

// Date (A), client with a list (B), quantity (C), price (D), amount = C*D (E).
ColumnSetup ledger() {
    ColumnSetup columns;
    columns.columnCount = 5;
    columns.sheetColumn = {1, 2, 3, 4, 5};
    columns.title = {"일자", "거래처", "수량", "단가", "금액"};
    columns.type = {FieldType::Date, FieldType::Text, FieldType::Number, FieldType::Number,
                    FieldType::Number};
    columns.size = {12, 20, 20, 20, 20};
    columns.hasLookup[1] = 1;
    columns.formula[4] = "C*D";
    columns.memoColumn = 6;
    columns.memoTitle = "메모";
    return columns;
}

RecordFormModel makeModel() {
    return RecordFormModel(ledger(), "@D9-", 9, picture::serialFromCivil({2026, 12, 7}),
                           [](int col) {
                               return col == 1 ? std::vector<std::string>{"Seoul", "Busan", "Daegu"}
                                               : std::vector<std::string>{};
                           });
}

std::string trimmed(const std::string& text) {
    const auto a = text.find_first_not_of(' ');
    return a == std::string::npos ? "" : text.substr(a, text.find_last_not_of(' ') - a + 1);
}

TEST(RecordFormModel, InsertTypesChecksComputesAndStores) {
    RecordFormModel model = makeModel();
    Record buffer;
    buffer.col[0] = "old";
    model.start(RecordCommand::Insert, buffer);
    EXPECT_EQ(model.field(1), "26-12-07") << "date fields start with today";
    EXPECT_EQ(model.field(2), "");

    struct Step {
        int field;
        const char* typed;
        CheckStatus status;
        const char* amount; // field 5 afterwards, trimmed
    };
    const Step steps[] = {
        {1, "0304", CheckStatus::Accepted, ""},
        {2, "Bu", CheckStatus::Accepted, ""},
        {3, "3", CheckStatus::Accepted, ""}, // D is blank: 3 * 0 shows blank
        {4, "2.5", CheckStatus::Accepted, "7.5"},
        {3, "12a", CheckStatus::NotANumber, "7.5"}, // refused: formulas keep their values
        {3, "1,000", CheckStatus::Accepted, "2,500"},
        {2, "a", CheckStatus::LookupNeeded, "2,500"},
    };
    for (const Step& s : steps) {
        model.setField(s.field, s.typed);
        const CheckResult result = model.accept(s.field);
        EXPECT_EQ(result.status, s.status) << s.typed;
        EXPECT_EQ(result.field, s.field);
        const std::string amount = trimmed(model.field(5));
        EXPECT_EQ(amount, s.amount) << s.typed;
        if (s.status == CheckStatus::NotANumber) {
            EXPECT_EQ(model.field(s.field), "");
        }
        if (s.status == CheckStatus::LookupNeeded) {
            EXPECT_EQ(result.offered, (std::vector<std::string>{"Busan", "Daegu"}));
        }
    }
    model.chooseLookup(2, "Daegu");
    model.setMemo("메모");
    model.store(buffer);
    EXPECT_EQ(buffer.col[0], "26-03-04");
    EXPECT_EQ(buffer.col[1], "Daegu");
    EXPECT_EQ(buffer.col[2], "1,000") << "numbers stored without their padding";
    EXPECT_EQ(buffer.col[4], "2,500");
    EXPECT_EQ(buffer.memo, "메모");
}

TEST(RecordFormModel, OnlyAColumnOfTheTextTypeOffersItsLookupList) {
    struct Case {
        std::optional<std::string> unknownType; // the settings sheet's letter naming no type
        CheckStatus status;
    };
    const Case cases[] = {{std::nullopt, CheckStatus::LookupNeeded},
                          {"X", CheckStatus::Accepted},
                          {"", CheckStatus::Accepted}};
    for (const Case& c : cases) {
        ColumnSetup columns = ledger();
        columns.unknownType[1] = c.unknownType;
        RecordFormModel model(columns, "@D9-", 9, 0, [](int) {
            return std::vector<std::string>{"Busan", "Daegu"};
        });
        Record buffer;
        model.start(RecordCommand::Insert, buffer);
        model.setField(2, "a");
        EXPECT_EQ(model.accept(2).status, c.status) << c.unknownType.value_or("(none)");
        EXPECT_EQ(model.field(2), "a");
    }
}

TEST(RecordFormModel, ChangeFormatsNumbersAndLookupButtonEmptiesTheField) {
    RecordFormModel model = makeModel();
    Record buffer;
    buffer.col = {"15-10-01", "Seoul", "1234.5", "10,000,000,000,000,000,000,000", "0.00"};
    buffer.memo = "m";
    model.start(RecordCommand::Change, buffer);
    EXPECT_EQ(trimmed(model.field(3)), "1,234.5");
    EXPECT_EQ(trimmed(model.field(5)), "0.00");
    EXPECT_EQ(model.field(4), buffer.col[3]) << "too long for the picture: kept, not '#'";
    EXPECT_EQ(model.memo(), "m");

    EXPECT_EQ(model.openLookup(2), (std::vector<std::string>{"Seoul", "Busan", "Daegu"}));
    EXPECT_EQ(model.field(2), "");
    model.chooseLookup(2, std::nullopt); // closed without a choice
    EXPECT_EQ(model.field(2), "");
    EXPECT_EQ(model.openLookup(3), std::vector<std::string>{}) << "no list: an empty window";

    model.setField(1, std::string(150, 'x'));
    EXPECT_EQ(model.field(1).size(), kFieldBytes);
    model.setField(1, "   ");
    EXPECT_EQ(model.accept(1).status, CheckStatus::Accepted) << "a blank field is not checked";
    EXPECT_EQ(model.field(1), "   ");
}

TEST(RecordFormModel, NumbersKeepTheirDigitsAndTellWhatCannotBeHeld) {
    ColumnSetup columns;
    columns.columnCount = 3;
    columns.sheetColumn = {1, 2, 3};
    columns.title = {"수량", "단가", "몫"};
    columns.type = {FieldType::Number, FieldType::Number, FieldType::Number};
    columns.formula[2] = "A/B";
    RecordFormModel model(columns, "@D9-", 12, 0, nullptr); // 12 points: pictures 20 wide
    Record buffer;
    model.start(RecordCommand::Insert, buffer);

    struct Step {
        int field;
        std::string typed;
        CheckStatus status;
        const char* kept;     // the field afterwards, trimmed
        const char* quotient; // field 3 afterwards, trimmed
        int focus;
        const char* message;
    };
    const Step steps[] = {
        // Wider than its picture: kept; too long for a result, so the quotient has none.
        {1, "12345678901234.56", CheckStatus::Accepted, "12,345,678,901,234.56", "", 3,
         "몫 칸: 계산 결과가 너무 큽니다"},
        {2, "1,5", CheckStatus::NotANumber, "", "", 2, "숫자만 입력하세요"},
        {1, "10", CheckStatus::Accepted, "10", "", 3, "몫 칸: 0으로 나눌 수 없습니다"},
        {2, "0.5", CheckStatus::Accepted, "0.5", "20", 0, ""},
        {2, std::string(80, '9'), CheckStatus::NumberTooLarge, "", "20", 2,
         "단가 칸: 담을 수 없는 큰 숫자입니다"},
    };
    for (const Step& s : steps) {
        model.setField(s.field, s.typed);
        const CheckResult result = model.accept(s.field);
        EXPECT_EQ(result.status, s.status) << s.typed;
        EXPECT_EQ(trimmed(model.field(s.field)), s.kept) << s.typed;
        EXPECT_EQ(trimmed(model.field(3)), s.quotient) << s.typed;
        EXPECT_EQ(result.focus(), s.focus) << s.typed;
        EXPECT_EQ(model.message(result), s.message) << s.typed;
        if (std::string_view(s.kept).size() > 20) {
            EXPECT_EQ(model.shown(1), std::string(20, '#')) << "the picture cannot show it";
            model.store(buffer);
            EXPECT_EQ(buffer.col[0], "12,345,678,901,234.56") << "but the number is stored";
        }
    }
}

TEST(RecordFormModel, ApplyCarriesOutTheRequest) {
    RecordList records;
    for (const char* item : {"a", "b", "c"}) {
        records.buffer.clear();
        records.buffer.col[1] = item;
        records.add();
    }
    auto run = [&](RecordCommand command, std::size_t pos, const char* client) {
        RecordFormModel model = makeModel();
        model.start(command, pos ? records.at(pos) : Record());
        model.setField(2, client);
        const std::size_t expected = command == RecordCommand::Insert ? records.count() + 1 : pos;
        EXPECT_EQ(applyForm(records, command, pos, model), expected);
    };
    run(RecordCommand::Insert, 0, "d");
    run(RecordCommand::Change, 2, "B");
    run(RecordCommand::Delete, 1, "ignored");
    std::vector<std::string> clients;
    for (std::size_t p = 1; p <= records.count(); ++p)
        clients.push_back(records.at(p).col[1]);
    EXPECT_EQ(clients, (std::vector<std::string>{"B", "c", "d"}));
    EXPECT_EQ(records.at(3).col[0], "26-12-07");
}

} // namespace
} // namespace rowbit::form
