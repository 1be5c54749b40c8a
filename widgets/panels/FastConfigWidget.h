#pragma once

#include "velawidgets_global.h"

#include <QIcon>
#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QToolButton;

// Chooses a point sensor's measurement type with four picture buttons and, for the
// combined type (button 4), the two border numbers. The pictures are read from
// "resources/images/" below the working directory. Created disabled.
class VELAWIDGETS_EXPORT FastConfigWidget : public QWidget
{
    Q_OBJECT
public:
    explicit FastConfigWidget(QWidget* parent = nullptr);

public slots:
    void simpleButtonPressed();
    void complexButtonPressed();
    void MeasureButton1Pressed();
    void MeasureButton2Pressed();
    void MeasureButton3Pressed();
    void firstBorderSelected(int index);
    void secondBorderSelected(int index);
    void setABorderNumber(char index);
    void setBBorderNumber(char index);
    void initButtonsState(char mode);
    void switchButtons(char mode);

signals:
    void Button1Pressed();
    void Button2Pressed();
    void Button3Pressed();
    void Button4Pressed();
    void FirstBorderSelected(char);
    void SecondBorderSelected(char);

private:
    static constexpr int buttonCount = 4;

    // Shows the active picture on button `active` (0-based) and the inactive ones elsewhere.
    void showActiveButton(int active);
    void setBordersEnabled(bool enabled);
    void runMeasureButton(int button);

    std::array<QToolButton*, buttonCount> m_buttons{};
    std::array<QIcon, buttonCount> m_activeIcons;
    std::array<QIcon, buttonCount> m_inactiveIcons;
    QLabel* m_firstBorderLabel = nullptr;
    QLabel* m_secondBorderLabel = nullptr;
    QComboBox* m_firstBorder = nullptr;
    QComboBox* m_secondBorder = nullptr;
};
