#pragma once

#include "velawidgets_global.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Status panel of a point-sensor tool: stream and single-request buttons, the sensor's
// identification, recording options, the sampling value and the current rates.
// Created disabled.
class VELAWIDGETS_EXPORT measureStatisticWidget : public QWidget
{
    Q_OBJECT
public:
    explicit measureStatisticWidget(QWidget* parent = nullptr);

    int getSamplingValue() const;

public slots:
    void singleAskButtonClicked();
    void streamAskButtonClicked();
    void fileCheckBoxClicked();
    void ethCheckBoxClicked();
    void setMeasureSpeed(double hz);
    void setDataSpeed(double hz);
    void setHelloLabel(int softwareVersion, int type, int baseDistance, int range, int serialNumber);
    void setSingleButtonText(const QString& text);
    // Clears the stream flag: the next press of the stream button asks to stop.
    void setFalseFlags();

signals:
    void SingleAskButtonClicked();
    // true asks to start the stream, false to stop it.
    void StreamAskButtonClicked(bool);
    void FileCheckBoxClicked(bool);
    void EthCheckBoxClicked(bool);

private:
    QPushButton* m_streamButton = nullptr;
    QPushButton* m_singleButton = nullptr;
    QLabel* m_softwareLabel = nullptr;
    QLabel* m_typeLabel = nullptr;
    QLabel* m_baseLabel = nullptr;
    QLabel* m_rangeLabel = nullptr;
    QLabel* m_serialLabel = nullptr;
    QCheckBox* m_fileCheck = nullptr;
    QCheckBox* m_ethCheck = nullptr;
    QLineEdit* m_sampling = nullptr;
    QLabel* m_measureSpeed = nullptr;
    QLabel* m_dataSpeed = nullptr;
    bool m_streamFlag = true;
};
