#pragma once
// The lookup window: a short list of a column's ready-made values to pick one from.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QPushButton;

namespace rowbit::ui {

class RecordListView;

class LookupWindow : public QDialog {
    Q_OBJECT
public:
    explicit LookupWindow(std::vector<std::string> entries, QWidget* parent = nullptr);

    // The entry chosen by Select (or a double click); nullopt after Close, or after Select on
    // an empty list.
    const std::optional<std::string>& chosen() const { return chosen_; }

    RecordListView* list() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* closeButton() const { return close_; }

    // Runs the window modally.
    static std::optional<std::string> run(const std::vector<std::string>& entries, QWidget* parent);

private:
    void select();

    std::vector<std::string> entries_;
    RecordListView* list_;
    QPushButton* select_;
    QPushButton* close_;
    std::optional<std::string> chosen_;
};

} // namespace rowbit::ui
