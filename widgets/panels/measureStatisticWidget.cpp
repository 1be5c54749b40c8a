#include "measureStatisticWidget.h"

#include "PanelHelpers.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

} // namespace

measureStatisticWidget::measureStatisticWidget(QWidget* parent)
    : QWidget(parent)
{
    setFont(VelaPanels::panelFont());
    auto* group = new QGroupBox(this);
    group->resize(762, 95);

    // Identification: two columns of labels.
    m_softwareLabel = makeLabel(group, "softwareLabel", QRect(10, 5, 130, 20));
    m_typeLabel = makeLabel(group, "typeLabel", QRect(10, 25, 130, 20));
    m_baseLabel = makeLabel(group, "baseLabel", QRect(10, 45, 150, 20));
    m_rangeLabel = makeLabel(group, "rangeLabel", QRect(165, 5, 190, 20));
    m_serialLabel = makeLabel(group, "serialLabel", QRect(165, 25, 150, 20));

    m_streamButton = new QPushButton(tr("Starten Bach"), group);
    m_streamButton->setObjectName(QStringLiteral("streamButton"));
    m_streamButton->setGeometry(370, 10, 100, 35);
    m_singleButton = new QPushButton(tr("Einzel Anfordern"), group);
    m_singleButton->setObjectName(QStringLiteral("singleButton"));
    m_singleButton->setGeometry(480, 10, 100, 35);

    // Wide enough for any rate in the 'g' format, "-1.23457e+06" included.
    m_measureSpeed = makeLabel(group, "measureSpeedLabel", QRect(370, 50, 236, 20));
    m_dataSpeed = makeLabel(group, "dataSpeedLabel", QRect(370, 70, 236, 20));

    m_fileCheck = new QCheckBox(tr("In Datei Schreiben"), group);
    m_fileCheck->setObjectName(QStringLiteral("fileCheckBox"));
    m_fileCheck->setGeometry(614, 10, 138, 20);
    m_ethCheck = new QCheckBox(tr("Ethernet Stream"), group);
    m_ethCheck->setObjectName(QStringLiteral("ethCheckBox"));
    m_ethCheck->setGeometry(614, 35, 138, 20);
    m_sampling = new QLineEdit(QStringLiteral("1"), group);
    m_sampling->setObjectName(QStringLiteral("samplingEdit"));
    m_sampling->setAlignment(Qt::AlignCenter);
    m_sampling->setGeometry(614, 62, 60, 20);

    setHelloLabel(0, 0, 0, 0, 0);
    setMeasureSpeed(0);
    setDataSpeed(0);

    connect(m_streamButton, &QPushButton::clicked, this, &measureStatisticWidget::streamAskButtonClicked);
    connect(m_singleButton, &QPushButton::clicked, this, &measureStatisticWidget::singleAskButtonClicked);
    connect(m_fileCheck, &QCheckBox::clicked, this, &measureStatisticWidget::fileCheckBoxClicked);
    connect(m_ethCheck, &QCheckBox::clicked, this, &measureStatisticWidget::ethCheckBoxClicked);

    setEnabled(false);
}

int measureStatisticWidget::getSamplingValue() const
{
    return m_sampling->text().toInt();
}

void measureStatisticWidget::singleAskButtonClicked()
{
    emit SingleAskButtonClicked();
}

void measureStatisticWidget::streamAskButtonClicked()
{
    emit StreamAskButtonClicked(m_streamFlag);
    m_streamFlag = !m_streamFlag;
    // A clear flag means a stream was asked for: the button now offers to end it.
    m_streamButton->setText(m_streamFlag ? tr("Datenfluss starten") : tr("Datenfluss beenden"));
}

void measureStatisticWidget::fileCheckBoxClicked()
{
    emit FileCheckBoxClicked(m_fileCheck->isChecked());
}

void measureStatisticWidget::ethCheckBoxClicked()
{
    emit EthCheckBoxClicked(m_ethCheck->isChecked());
}

void measureStatisticWidget::setMeasureSpeed(double hz)
{
    m_measureSpeed->setText(tr("Messgeschwindichkeit: %1 Hz").arg(hz));
}

void measureStatisticWidget::setDataSpeed(double hz)
{
    m_dataSpeed->setText(tr("Datengeschwindichkeit: %1 Hz").arg(hz));
}

void measureStatisticWidget::setHelloLabel(int softwareVersion, int type, int baseDistance,
                                           int range, int serialNumber)
{
    m_softwareLabel->setText(tr("Softwareversion: %1").arg(softwareVersion));
    m_typeLabel->setText(tr("Typ: %1x").arg(type));
    m_baseLabel->setText(tr("Empfaenger - Sender, mm: %1").arg(baseDistance));
    m_rangeLabel->setText(tr("Messbereich, mm: %1").arg(range));
    m_serialLabel->setText(tr("Serialnummer: %1").arg(serialNumber));
}

void measureStatisticWidget::setSingleButtonText(const QString& text)
{
    m_singleButton->setText(text);
}

void measureStatisticWidget::setFalseFlags()
{
    m_streamFlag = false;
}
