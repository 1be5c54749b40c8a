#include "IPEditWidget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

IPEditWidget::IPEditWidget(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const QRegularExpression octet(
        QStringLiteral("^(0|[1-9]|[1-9][0-9]|1[0-9][0-9]|2([0-4][0-9]|5[0-5]))$"));
    QFont fieldFont = font();
    fieldFont.setStyleHint(QFont::Monospace);
    fieldFont.setFixedPitch(true);

    for (int i = 0; i < FieldCount; ++i) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setFont(fieldFont);
        field->setValidator(new QRegularExpressionValidator(octet, field));
        field->installEventFilter(this);
        layout->addWidget(field, 1);
        m_fields[i] = field;

        if (i < FieldCount - 1) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setStyleSheet(QStringLiteral("background: white"));
            layout->addWidget(dot, 0);
        }
    }

    // Queued, so the jump to the next field sees the text after the field took the key.
    connect(this, &IPEditWidget::signalTextChanged, this, &IPEditWidget::slotTextChanged,
            Qt::QueuedConnection);
}

QString IPEditWidget::text() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text(), m_fields[3]->text());
}

void IPEditWidget::setText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() < FieldCount)
        return;
    for (int i = 0; i < FieldCount; ++i)
        m_fields[i]->setText(parts.at(i));
}

bool IPEditWidget::getAddress(unsigned char address[4], bool inOrder) const
{
    unsigned char octets[FieldCount];
    for (int i = 0; i < FieldCount; ++i) {
        // setText does not validate, so a device or a file can hand us "300" or "x";
        // such an address must not reach the sensor as a wrapped-around byte.
        bool ok = false;
        const uint value = m_fields[i]->text().toUInt(&ok);
        if (!ok || value > 255)
            return false;
        octets[i] = static_cast<unsigned char>(value);
    }
    for (int i = 0; i < FieldCount; ++i)
        address[inOrder ? i : FieldCount - 1 - i] = octets[i];
    return true;
}

int IPEditWidget::fieldIndex(const QObject* object) const
{
    for (int i = 0; i < FieldCount; ++i) {
        if (m_fields[i] == object)
            return i;
    }
    return -1;
}

void IPEditWidget::focusAtEnd(int index)
{
    if (index < 0 || index >= FieldCount)
        return;
    QLineEdit* field = m_fields[index];
    field->setFocus();
    field->setCursorPosition(field->text().size());
}

void IPEditWidget::focusAndSelect(int index)
{
    if (index < 0 || index >= FieldCount)
        return;
    QLineEdit* field = m_fields[index];
    field->setFocus();
    field->setCursorPosition(0);
    field->selectAll();
}

bool IPEditWidget::eventFilter(QObject* watched, QEvent* event)
{
    const int i = fieldIndex(watched);
    if (i >= 0 && event->type() == QEvent::KeyPress) {
        QLineEdit* field = m_fields[i];
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const bool empty = field->text().isEmpty();
        const bool atStart = field->cursorPosition() == 0;
        const bool atEnd = field->cursorPosition() == field->text().size();
        bool navigated = true;

        switch (keyEvent->key()) {
        case Qt::Key_Left:
            if (atStart)
                focusAtEnd(i - 1);
            else
                navigated = false;
            break;
        case Qt::Key_Right:
            if (empty || atEnd)
                focusAndSelect(i + 1);
            else
                navigated = false;
            break;
        case Qt::Key_Backspace:
            if (empty || atStart)
                focusAtEnd(i - 1);
            else
                navigated = false;
            break;
        case Qt::Key_Comma:
        case Qt::Key_Period:
            focusAndSelect(i + 1);
            break;
        case Qt::Key_0:
            // A lone zero is a complete octet: take it and move on; the field's own
            // handling of the key then fails validation ("00") and changes nothing.
            if (empty || field->text() == QLatin1String("0")) {
                field->setText(QStringLiteral("0"));
                focusAndSelect(i + 1);
            }
            navigated = false;
            break;
        default:
            navigated = false;
            break;
        }

        if (!navigated)
            emit signalTextChanged(field);
    }
    return QFrame::eventFilter(watched, event);
}

void IPEditWidget::slotTextChanged(QLineEdit* field)
{
    const int i = fieldIndex(field);
    if (i < 0 || i == FieldCount - 1)
        return;
    const QString text = field->text();
    if ((text.size() == 3 && field->cursorPosition() == text.size()) || text == QLatin1String("0"))
        focusAndSelect(i + 1);
}
