#pragma once

// Small helpers shared by the point-sensor panels; header-only and not part of the
// library's interface.

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QStringList>

#include <algorithm>

namespace VelaPanels {

inline QFont panelFont()
{
    return QFont(QStringLiteral("MS Shell Dlg 2"), 8);
}

// Serial speeds of the point sensors, in the order of their combo items. The sensor's
// code for a speed is the rate divided by 2400.
inline QStringList serialSpeeds()
{
    return {QStringLiteral("9600"), QStringLiteral("115200"), QStringLiteral("230400"),
            QStringLiteral("460800"), QStringLiteral("921600")};
}

inline int speedCode(const QString& rate)
{
    return rate.toInt() / 2400;
}

// Combo index of a speed code; an unknown code is taken as the index itself.
inline int speedIndex(int code)
{
    const QStringList speeds = serialSpeeds();
    for (int i = 0; i < speeds.size(); ++i) {
        if (speedCode(speeds.at(i)) == code)
            return i;
    }
    return code;
}

// A caption at (x, y) in `parent`, `width` wide. A caption too long for one line wraps at its
// spaces and soft hyphens and the label grows to hold the lines, so it is always shown whole.
inline QLabel* addCaption(QWidget* parent, const QString& text, int x, int y, int width, int rowHeight)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setGeometry(x, y, width, std::max(rowHeight, label->heightForWidth(width)));
    return label;
}

// Fills a combo box with the numbers 0 ... count - 1, each stored as its item's data.
inline void addNumberItems(QComboBox* combo, int count)
{
    for (int i = 0; i < count; ++i)
        combo->addItem(QString::number(i), i);
}

} // namespace VelaPanels
