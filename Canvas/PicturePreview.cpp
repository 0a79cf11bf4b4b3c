#include "Canvas/PicturePreview.h"

#include "Canvas/SurfaceImage.h"
#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/WaitCursor.h"
#include "common/Error.h"
#include "picture/PictureFile.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include <new>

namespace masume::ui {

namespace {

constexpr int PanelSize = 150;

} // namespace

PicturePreview::PicturePreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PicturePreview"));
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("PictureLabel"));
    m_panel = new QLabel(this);
    m_panel->setObjectName(QStringLiteral("ImagePanel"));
    m_panel->setFixedSize(PanelSize, PanelSize);
    m_panel->setAlignment(Qt::AlignCenter);
    m_panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("PreviewButton"));
    m_button->setIcon(QIcon(QStringLiteral(":/canvas/preview.png")));
    m_button->setToolTip(QStringLiteral("プレビュー"));
    connect(m_button, &QToolButton::clicked, this, &PicturePreview::openPreviewWindow);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    auto *top = new QHBoxLayout;
    top->addWidget(m_caption, 1);
    top->addWidget(m_button);
    layout->addLayout(top);
    layout->addWidget(m_panel);
    layout->addStretch(1);
    setPicture(QImage());
}

QString PicturePreview::caption() const
{
    return m_caption->text();
}

void PicturePreview::showFile(const QString &path)
{
    // The list and the name field both report the file chosen in the list:
    // it is read once.
    if (path == m_path)
        return;
    m_path = path;
    QImage picture;
    if (QFileInfo(path).isFile()) {
        // A JPEG file is decoded in full, as opening does: a large one takes
        // a moment.
        WaitCursor wait;
        try {
            picture = surfaceImage(makeSurface(readPicture(QFile::encodeName(path).toStdString())));
        } catch (const Error &) {
            // Not a picture this program opens: the panel says so.
        } catch (const std::bad_alloc &) {
        }
    }
    setPicture(picture);
}

void PicturePreview::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_button->setEnabled(!picture.isNull());
    if (picture.isNull()) {
        m_caption->setText(QStringLiteral("画像:"));
        m_panel->setPixmap(QPixmap());
        m_panel->setText(QStringLiteral("(なし)"));
        return;
    }
    m_caption->setText(QStringLiteral(" (%1x%2)").arg(picture.width()).arg(picture.height()));
    const QSize room = m_panel->contentsRect().size() * m_panel->devicePixelRatioF();
    QImage shown = picture;
    if (picture.width() > room.width() || picture.height() > room.height())
        shown = picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(m_panel->devicePixelRatioF());
    m_panel->setPixmap(pixmap);
}

void PicturePreview::openPreviewWindow()
{
    guarded([this] { runPreviewWindow(); });
}

void PicturePreview::runPreviewWindow()
{
    if (m_picture.isNull())
        return;
    QDialog window(this);
    window.setObjectName(QStringLiteral("PreviewWindow"));
    window.setWindowTitle(QStringLiteral("プレビュー"));
    auto *area = new QScrollArea(&window);
    auto *image = new QLabel;
    QPixmap pixmap = QPixmap::fromImage(m_picture);
    const qreal ratio = window.devicePixelRatioF();
    pixmap.setDevicePixelRatio(ratio);
    image->setPixmap(pixmap);
    area->setWidget(image);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);

    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QSize limit = screen->availableGeometry().size() * 3 / 4;
    const int frame = 2 * area->frameWidth();
    const QSize wanted = (pixmap.deviceIndependentSize().toSize() + QSize(frame, frame));
    window.resize(wanted.boundedTo(limit));
    dialogs().exec(window);
}

} // namespace masume::ui
