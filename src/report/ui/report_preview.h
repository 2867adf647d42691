#pragma once
// The report preview "보고서 미리보기": pages one at a time or two side by side, fitted to the
// window or at their natural size, Next, Previous, Jump, and the verdict: print (1) or cancel
// (2). Pages are drawn from the page model when shown; no page is kept as an image beyond the
// two on screen.

#include "report/page_model.h"
#include "report/preview_sizes.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;

namespace rowbit::ui {

// One page image: the page drawn to the widget's size, with a pointer of its own; a left
// click is reported.
class PageImage : public QWidget {
    Q_OBJECT
public:
    explicit PageImage(QWidget* parent = nullptr);
    void setPage(const report::Page* page);
    const report::Page* page() const { return page_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const report::Page* page_ = nullptr;
    QImage cache_; // the page as last drawn, for repaints at the same size
    const report::Page* cachedPage_ = nullptr;
};

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    // `askPage(current, count)`: the page to go to (the jump dialog unless given).
    // `savePdf`: the "PDF 저장" button's work, giving the text the status line shows after it
    // (empty: nothing to say); the button is hidden without it.
    ReportPreview(const std::vector<report::Page>& pages, QWidget* parent = nullptr,
                  std::function<std::string()> savePdf = {},
                  std::function<int(int current, int count)> askPage = {});

    // Runs modally; the verdict, 1 print, 2 cancel.
    static int run(const std::vector<report::Page>& pages, QWidget* parent,
                   std::function<std::string()> savePdf);

    int verdict() const { return verdict_; }
    int currentPage() const { return current_; }
    bool twoPageView() const { return multi_; }
    bool fitted() const { return toggle_ == 1; }
    QString pageInfo() const;
    QString status() const;
    PageImage* image(int n) const { return images_[n]; }
    QScrollArea* frame(int n) const { return frames_[n]; }
    QPushButton* button(const char* objectName) const;

public slots:
    void next();
    void previous();
    void jump();
    // The first page, the last page (Home, End).
    void first();
    void last();
    void zoomToggle();
    void twoPage();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void computeSizes();
    void showSingle();
    void showFitted();
    void showActual();
    void showPage(int n, int page);
    void placeFrame(int n, QRect geometry, bool fillFrame, bool hBar, bool vBar);
    void handled();
    void goToPage(int page);
    // The paging keys, wherever the focus is in the window; false for any other key.
    bool pageKey(const QKeyEvent* event);

    const std::vector<report::Page>& pages_;
    std::function<int(int, int)> askPage_;
    QWidget* area_ = nullptr; // where the page frames stand
    QScrollArea* frames_[2] = {};
    PageImage* images_[2] = {};
    QLabel* info_ = nullptr;
    QLabel* status_ = nullptr; // what the last PDF save did
    int current_ = 1;
    int count_ = 0;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    report::PreviewSizes sizes_;
    bool multi_ = false;
    int toggle_ = 0; // 0: the next toggle fits the page, 1: it shows the natural size
    int verdict_ = 2;
};

// The jump dialog "페이지 이동": the page chosen, or `current` when cancelled.
int askJumpPage(int current, int count, QWidget* parent);

} // namespace rowbit::ui
