#include "UnavailableView.h"

#include "ui/common/SymbolIcon.h"
#include "ui/common/UiStyle.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int symbolSize = 44;

QLabel *label(const QString &text, const QFont &font, const QColor &colour, QWidget *parent)
{
    auto *made = new QLabel(text, parent);
    made->setFont(font);
    made->setAlignment(Qt::AlignCenter);
    made->setWordWrap(true);
    QPalette palette = made->palette();
    palette.setColor(QPalette::WindowText, colour);
    made->setPalette(palette);
    return made;
}

} // namespace

UnavailableView::UnavailableView(const QString &symbol, const QString &title, const QString &description,
                                 QWidget *parent)
    : QWidget(parent)
    , m_title(title)
{
    const QColor secondary = UiStyle::secondary(palette());
    auto *image = new QLabel(this);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(SymbolIcon::pixmap(symbol, symbolSize, secondary, devicePixelRatioF()));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(8);
    layout->addStretch();
    layout->addWidget(image);
    layout->addSpacing(4);
    layout->addWidget(label(title, UiStyle::font(*this, UiStyle::Text::Title2), UiStyle::primary(palette()), this));
    if (!description.isEmpty())
        layout->addWidget(label(description, UiStyle::font(*this, UiStyle::Text::Body), secondary, this));
    layout->addStretch();
    setAccessibleName(title);
}

QPushButton *UnavailableView::addAction(const QString &text)
{
    auto *button = new QPushButton(text, this);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    row->addStretch();
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    // Under the description, above the lower stretch.
    layout->insertSpacing(layout->count() - 1, 6);
    layout->insertLayout(layout->count() - 1, row);
    return button;
}
