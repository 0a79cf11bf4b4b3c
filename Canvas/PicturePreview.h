#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class QToolButton;

namespace masume::ui {

// The preview beside a picture dialog's file list: a caption " (WxH)" over
// the picture scaled proportionally into a small panel, or "画像:" over
// "(なし)" when the selection cannot be made into a picture; and a button
// with the hint "プレビュー" that shows the picture at 1:1 in the window
// "プレビュー".
class PicturePreview : public QWidget
{
    Q_OBJECT

public:
    explicit PicturePreview(QWidget *parent = nullptr);

    // The picture shown; null when there is none.
    const QImage &picture() const { return m_picture; }
    QString caption() const;

public slots:
    // Reads the file with the program's own readers, as opening would; the
    // file shown last is not read again (an empty path clears the preview).
    void showFile(const QString &path);
    // The window "プレビュー": at most three quarters of the screen, closed
    // with Esc.
    void openPreviewWindow();

private:
    void setPicture(const QImage &picture);
    void runPreviewWindow();

    QLabel *m_caption;
    QLabel *m_panel;
    QToolButton *m_button;
    QString m_path;
    QImage m_picture;
};

} // namespace masume::ui
