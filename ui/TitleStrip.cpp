#include "ui/TitleStrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

namespace masume::ui {

namespace {

constexpr int StripHeight = 24;

class TitleStrip final : public QWidget
{
public:
    explicit TitleStrip(QWidget &window)
        : QWidget(&window)
    {
        setObjectName(QStringLiteral("TitleStrip"));
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Mid);
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(4, 0, 2, 0);
        layout->setSpacing(4);
        auto *icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("TitleIcon"));
        icon->setPixmap(window.windowIcon().pixmap(16, 16));
        layout->addWidget(icon);
        m_title = new QLabel(window.windowTitle(), this);
        m_title->setObjectName(QStringLiteral("TitleText"));
        m_title->setAlignment(Qt::AlignCenter);
        QFont bold = m_title->font();
        bold.setBold(true);
        m_title->setFont(bold);
        layout->addWidget(m_title, 1);
        auto *close = new QToolButton(this);
        close->setObjectName(QStringLiteral("TitleCloseButton"));
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        close->setAutoRaise(true);
        close->setFocusPolicy(Qt::NoFocus);
        close->setFixedSize(20, 20);
        layout->addWidget(close);
        connect(close, &QToolButton::clicked, &window, &QWidget::close);
        connect(&window, &QWidget::windowTitleChanged, m_title, &QLabel::setText);
        setGeometry(0, 0, window.width(), StripHeight);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && window()->windowHandle())
            window()->windowHandle()->startSystemMove();
    }

private:
    QLabel *m_title = nullptr;
};

} // namespace

void addTitleStrip(QWidget &window)
{
    for (QObject *child : window.children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow())
            widget->move(widget->pos() + QPoint(0, StripHeight));
    window.setFixedSize(window.width(), window.height() + StripHeight);
    new TitleStrip(window);
}

} // namespace masume::ui
