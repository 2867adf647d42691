#include "report/ui/report_preview.h"

#include "report/ui/paint/page_painter.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace rowbit::ui {

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

PageImage::PageImage(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageImage::setPage(const report::Page* page) {
    if (page == page_)
        return;
    page_ = page;
    update();
}

void PageImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (page_ && (cachedPage_ != page_ || cache_.size() != pixels)) {
        cache_ = QImage(pixels, QImage::Format_RGB32);
        cache_.setDevicePixelRatio(ratio);
        cache_.fill(Qt::white);
        QPainter onImage(&cache_);
        onImage.setRenderHint(QPainter::Antialiasing);
        onImage.setRenderHint(QPainter::TextAntialiasing);
        report::paintPage(onImage, *page_, QRectF(QPointF(0, 0), QSizeF(size())));
        cachedPage_ = page_;
    }
    if (!page_) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.drawImage(QPointF(0, 0), cache_);
}

void PageImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QWidget::mousePressEvent(event);
}

ReportPreview::ReportPreview(const std::vector<report::Page>& pages, QWidget* parent,
                             std::function<std::string()> savePdf,
                             std::function<int(int, int)> askPage)
    : QDialog(parent), pages_(pages), askPage_(std::move(askPage)) {
    setWindowTitle(u("보고서 미리보기"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    count_ = static_cast<int>(pages_.size());
    if (!askPage_)
        askPage_ = [this](int current, int count) { return askJumpPage(current, count, this); };

    auto* bar = new QHBoxLayout;
    auto add = [&](const char* name, const QString& text, const char* icon, const char* tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        if (icon)
            b->setIcon(QIcon(QString::fromLatin1(icon)));
        if (tip)
            b->setToolTip(u(tip));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
        return b;
    };
    connect(add("printButton", u("인쇄"), ":/icons/print.svg", "인쇄"), &QPushButton::clicked, this,
            [this] {
                verdict_ = 1;
                accept();
            });
    connect(add("closeButton", u("닫기"), ":/icons/close.svg", "인쇄하지 않고 닫기"),
            &QPushButton::clicked, this, &ReportPreview::reject);
    connect(add("zoomButton", u("확대/축소"), nullptr, "쪽 맞춤과 실제 크기"),
            &QPushButton::clicked, this, &ReportPreview::zoomToggle);
    connect(add("jumpButton", u("이동"), nullptr, nullptr), &QPushButton::clicked, this,
            &ReportPreview::jump);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("pageLabel"));
    info_->setMinimumWidth(70);
    info_->setAlignment(Qt::AlignCenter);
    bar->addWidget(info_);
    connect(add("nextButton", u("다음"), nullptr, nullptr), &QPushButton::clicked, this,
            &ReportPreview::next);
    connect(add("previousButton", u("이전"), nullptr, nullptr), &QPushButton::clicked, this,
            &ReportPreview::previous);
    connect(add("twoPageButton", u("2페이지"), nullptr, nullptr), &QPushButton::clicked, this,
            &ReportPreview::twoPage);
    QPushButton* pdf = add("pdfButton", u("PDF 저장"), nullptr, nullptr);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (savePdf)
        connect(pdf, &QPushButton::clicked, this, [this, savePdf] {
            if (const std::string said = savePdf(); !said.empty())
                status_->setText(QString::fromStdString(said));
        });
    else
        pdf->hide();
    bar->addWidget(status_, 1);

    area_ = new QWidget(this);
    area_->setObjectName(QStringLiteral("pageArea"));
    area_->setAutoFillBackground(true);
    QPalette grey = area_->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    area_->setPalette(grey);
    for (int n = 0; n < 2; ++n) {
        frames_[n] = new QScrollArea(area_);
        frames_[n]->setObjectName(QStringLiteral("pageFrame%1").arg(n + 1));
        frames_[n]->setFrameShape(QFrame::NoFrame);
        frames_[n]->setWidgetResizable(false);
        frames_[n]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        images_[n] = new PageImage;
        frames_[n]->setWidget(images_[n]);
        frames_[n]->hide();
        // A page frame scrolls a page shown at its natural size, but the paging keys are the
        // window's: taken before the frame can spend them on scrolling.
        frames_[n]->installEventFilter(this);
    }
    connect(images_[0], &PageImage::clicked, this, [this] {
        zoomToggle();
        handled();
    });
    connect(images_[1], &PageImage::clicked, this, [this] {
        // The following page moves into the first image, then the zoom toggles.
        current_ = std::min(current_ + 1, count_);
        showPage(0, current_);
        zoomToggle();
        handled();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(area_, 1);

    if (count_ > 0) {
        imageWidth_ = pages_.front().width * logicalDpiX() / 1000;
        imageHeight_ = pages_.front().height * logicalDpiY() / 1000;
    }
    QSize size(860, 860);
    if (const QScreen* screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(20, 60));
    resize(size);
    layout->activate();
    computeSizes();
    showPage(0, 1);
    current_ = 1;
    toggle_ = 0;
    zoomToggle(); // fitted
    handled();
    // The keys start on the page: arrows scroll it, the paging keys page (see eventFilter).
    frames_[0]->setFocus();
}

int ReportPreview::run(const std::vector<report::Page>& pages, QWidget* parent,
                       std::function<std::string()> savePdf) {
    ReportPreview preview(pages, parent, std::move(savePdf));
    preview.exec();
    return preview.verdict();
}

QString ReportPreview::pageInfo() const {
    return info_->text();
}

QString ReportPreview::status() const {
    return status_->text();
}

QPushButton* ReportPreview::button(const char* objectName) const {
    return findChild<QPushButton*>(QString::fromLatin1(objectName));
}

void ReportPreview::handled() {
    info_->setText(QStringLiteral("%1/%2").arg(current_).arg(count_));
}

void ReportPreview::computeSizes() {
    sizes_ = report::previewSizes(area_->width(), area_->height(), imageWidth_, imageHeight_);
}

void ReportPreview::showPage(int n, int page) {
    if (page < 1 || page > count_) {
        frames_[n]->hide();
        images_[n]->setPage(nullptr);
        return;
    }
    images_[n]->setPage(&pages_[static_cast<std::size_t>(page - 1)]);
    if (n == 0 || multi_)
        frames_[n]->show();
}

void ReportPreview::placeFrame(int n, QRect geometry, bool fillFrame, bool hBar, bool vBar) {
    QScrollArea* frame = frames_[n];
    frame->setHorizontalScrollBarPolicy(hBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    frame->setVerticalScrollBarPolicy(vBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    frame->setGeometry(geometry);
    images_[n]->resize(fillFrame ? geometry.size() : QSize(imageWidth_, imageHeight_));
    frame->show();
}

void ReportPreview::showFitted() {
    placeFrame(0, QRect(1, 1, sizes_.thumbnailWidth, sizes_.thumbnailHeight), true, false, false);
}

void ReportPreview::showActual() {
    const int w = area_->width();
    const int h = area_->height() - 20;
    const bool hBar = imageWidth_ >= w;
    const bool vBar = imageHeight_ >= h;
    placeFrame(0, QRect(1, 1, hBar ? w : imageWidth_, vBar ? h : imageHeight_), false, hBar, vBar);
}

void ReportPreview::showSingle() {
    if (toggle_ == 1)
        showFitted();
    else
        showActual();
}

void ReportPreview::zoomToggle() {
    if (multi_) {
        frames_[1]->hide();
        multi_ = false;
    }
    if (toggle_ == 0) {
        showFitted();
        toggle_ = 1;
    } else {
        showActual();
        toggle_ = 0;
    }
    handled();
}

void ReportPreview::next() {
    current_ = std::min(current_ + (multi_ ? 2 : 1), count_);
    showPage(0, current_);
    if (multi_)
        showPage(1, current_ + 1);
    handled();
}

void ReportPreview::previous() {
    current_ = std::max(current_ - (multi_ ? 2 : 1), 1);
    showPage(0, current_);
    if (multi_)
        showPage(1, current_ + 1);
    handled();
}

void ReportPreview::jump() {
    goToPage(askPage_(current_, count_));
}

void ReportPreview::first() {
    goToPage(1);
}

void ReportPreview::last() {
    goToPage(count_);
}

void ReportPreview::goToPage(int page) {
    // One step before the page, then Next: in two-page view its following page comes along.
    current_ = page - (multi_ ? 2 : 1);
    next();
}

void ReportPreview::twoPage() {
    if (multi_) {
        frames_[1]->hide();
        multi_ = false;
        showSingle();
        handled();
        return;
    }
    showPage(0, current_);
    placeFrame(0, QRect(1, 1, sizes_.multiWidth, sizes_.multiHeight), true, false, false);
    if (current_ + 1 <= count_) {
        showPage(1, current_ + 1);
        placeFrame(1, QRect(sizes_.multiWidth + 10, 1, sizes_.multiWidth, sizes_.multiHeight), true,
                   false, false);
        multi_ = true;
    }
    handled();
}

bool ReportPreview::pageKey(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_PageDown:
        next();
        return true;
    case Qt::Key_PageUp:
        previous();
        return true;
    case Qt::Key_Home:
        first();
        return true;
    case Qt::Key_End:
        last();
        return true;
    default:
        return false;
    }
}

void ReportPreview::keyPressEvent(QKeyEvent* event) {
    if (!pageKey(event))
        QDialog::keyPressEvent(event);
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && pageKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!area_ || count_ == 0)
        return;
    if (QLayout* l = layout())
        l->activate();
    computeSizes();
    if (multi_) {
        multi_ = false;
        twoPage();
    } else {
        showSingle();
    }
    handled();
}

void ReportPreview::reject() {
    verdict_ = 2;
    QDialog::reject();
}

int askJumpPage(int current, int count, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(u("페이지 이동"));
    auto* prompt = new QLabel(u("이동할 페이지:"), &dialog);
    auto* field = new QSpinBox(&dialog);
    field->setObjectName(QStringLiteral("pageNumberField"));
    field->setRange(1, std::max(1, count));
    field->setValue(current);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(u("확인"), QDialogButtonBox::AcceptRole);
    buttons->addButton(u("취소"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(prompt);
    row->addWidget(field);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted ? field->value() : current;
}

} // namespace rowbit::ui
