// Times the record form on a long list as the desktop program runs it: the browse window's
// Insert, Change and Delete commands, each split into opening the form (until it is on screen)
// and OK back to the list (until the list shows the result).
//
//     form_ui_bench FILE [ROUNDS]
//
// Prints one "step seconds" line per step (the median over ROUNDS, default 5) and the records.
#include "app/app_state.h"
#include "app/picture.h"
#include "app/preferences.h"
#include "app/ui/record_list_view.h"
#include "bench_support.h"
#include "browse/ui/browse_window.h"
#include "form/ui/record_form.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using rowbit::bench::Clock;
using rowbit::bench::SilentPrompts;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: form_ui_bench FILE [ROUNDS]\n");
        return 64;
    }
    Q_INIT_RESOURCE(rowbit);
    QApplication app(argc, argv);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    rowbit::AppState display;
    rowbit::Document doc;
    SilentPrompts prompts;
    rowbit::Preferences prefs(QDir::tempPath().toStdString());

    Clock::time_point start, shown, ok;
    std::map<std::string, std::vector<double>> figures;
    std::string step;
    rowbit::ui::BrowseSeams seams;
    seams.recordForm = [&](QWidget* parent, rowbit::RecordCommand command, std::size_t record) {
        rowbit::ui::RecordForm form(doc, display, prompts, command, record,
                                    rowbit::picture::today(), parent);
        form.show();
        QApplication::processEvents();
        shown = Clock::now();
        if (step == "insert") {
            form.field(2)->setText(QStringLiteral("추가"));
            form.field(2)->setModified(true);
        }
        ok = Clock::now();
        form.okButton()->click();
        return form.position() != 0 ? rowbit::form::FormOutcome::Done
                                    : rowbit::form::FormOutcome::Cancelled;
    };
    // A workbook without settings takes the preview's preselected title row, as OK would.
    seams.preview = [](const auto&, int preselected) -> std::optional<int> { return preselected; };
    rowbit::ui::BrowseWindow window(display, doc, prompts, prefs, std::move(seams), argv[1],
                                    argv[0]);
    const auto loadStart = Clock::now();
    if (!window.open())
        return 1;
    QApplication::processEvents();
    std::printf("open-workbook %.2f\nrecords %zu\n", seconds(loadStart, Clock::now()),
                doc.records.count());

    for (int r = 0; r < rounds; ++r) {
        for (const char* name : {"insert", "change", "delete"}) {
            step = name;
            if (step != "insert")
                window.list()->selectLine(doc.records.count() / 2);
            start = Clock::now();
            if (step == "insert")
                window.insertRecord();
            else if (step == "change")
                window.changeRecord();
            else
                window.deleteRecord();
            QApplication::processEvents();
            const auto back = Clock::now();
            figures[step + "-open"].push_back(seconds(start, shown));
            figures[step + "-ok-back"].push_back(seconds(ok, back));
        }
    }
    // The list alone, shown again from scratch, for comparison.
    for (int r = 0; r < rounds; ++r) {
        const auto a = Clock::now();
        window.list()->reload();
        window.list()->selectLine(doc.records.count());
        QApplication::processEvents();
        figures["list-reload"].push_back(seconds(a, Clock::now()));
    }
    for (const auto& [name, values] : figures)
        std::printf("%s %.4f\n", name.c_str(), median(values));
    std::printf("records %zu\n", doc.records.count());
    return 0;
}
