#ifndef IPEDITWIDGET_H
#define IPEDITWIDGET_H

#include <QFrame>

class QLineEdit;

// Four-field IPv4 address editor. Each field takes one octet (0 to 255, no leading
// zeros); the keyboard moves between fields the way a user expects from a dotted address.
class IPEditWidget : public QFrame
{
    Q_OBJECT

public:
    explicit IPEditWidget(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    // Fills address with the four octets: field i at index i when inOrder is true, at
    // index 3 - i otherwise (the byte order the device setters take). Answers false, and
    // leaves address untouched, when a field is empty or does not hold an octet.
    bool getAddress(unsigned char address[4], bool inOrder) const;

signals:
    void signalTextChanged(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void slotTextChanged(QLineEdit* field);

private:
    static constexpr int FieldCount = 4;

    int fieldIndex(const QObject* object) const;
    void focusAtEnd(int index);
    void focusAndSelect(int index);

    QLineEdit* m_fields[FieldCount];
};

#endif // IPEDITWIDGET_H
