#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The one seam through which the program asks the user anything modal: message boxes,
// questions and file dialogs. The program shows the real Qt dialogs; a test installs a
// Responder that sees every request (caption, text, buttons) and answers it.
class UserDialogs
{
public:
    enum class MessageKind { Information, Warning, Critical, Question };

    struct Message
    {
        MessageKind kind;
        QWidget* parent;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    enum class FileKind { Open, Save };

    struct FileRequest
    {
        FileKind kind;
        QWidget* parent;
        QString caption;
        QString directory;
        QString filter;
        QString* selectedFilter; // may be null; an answer may set it like the real dialog
    };

    class Responder
    {
    public:
        virtual ~Responder() = default;
        virtual QMessageBox::StandardButton answerMessage(const Message& message) = 0;
        // An empty name stands for a cancelled dialog.
        virtual QString answerFile(const FileRequest& request) = 0;
    };

    // Null restores the real dialogs. The responder is not owned.
    static void setResponder(Responder* responder);

    static QMessageBox::StandardButton information(QWidget* parent, const QString& title,
        const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton warning(QWidget* parent, const QString& title,
        const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton critical(QWidget* parent, const QString& title,
        const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title,
        const QString& text,
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    static QString getOpenFileName(QWidget* parent, const QString& caption,
        const QString& directory = QString(), const QString& filter = QString(),
        QString* selectedFilter = nullptr);
    static QString getSaveFileName(QWidget* parent, const QString& caption,
        const QString& directory = QString(), const QString& filter = QString(),
        QString* selectedFilter = nullptr);

private:
    static QMessageBox::StandardButton ask(const Message& message);
    static QString askFile(const FileRequest& request);
};
