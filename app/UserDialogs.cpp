#include "UserDialogs.h"

#include <QFileDialog>

namespace {
UserDialogs::Responder* g_responder = nullptr;
}

void UserDialogs::setResponder(Responder* responder)
{
    g_responder = responder;
}

QMessageBox::StandardButton UserDialogs::information(QWidget* parent, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    return ask({ MessageKind::Information, parent, title, text, buttons, defaultButton });
}

QMessageBox::StandardButton UserDialogs::warning(QWidget* parent, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    return ask({ MessageKind::Warning, parent, title, text, buttons, defaultButton });
}

QMessageBox::StandardButton UserDialogs::critical(QWidget* parent, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    return ask({ MessageKind::Critical, parent, title, text, buttons, defaultButton });
}

QMessageBox::StandardButton UserDialogs::question(QWidget* parent, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    return ask({ MessageKind::Question, parent, title, text, buttons, defaultButton });
}

QString UserDialogs::getOpenFileName(QWidget* parent, const QString& caption,
    const QString& directory, const QString& filter, QString* selectedFilter)
{
    return askFile({ FileKind::Open, parent, caption, directory, filter, selectedFilter });
}

QString UserDialogs::getSaveFileName(QWidget* parent, const QString& caption,
    const QString& directory, const QString& filter, QString* selectedFilter)
{
    return askFile({ FileKind::Save, parent, caption, directory, filter, selectedFilter });
}

QMessageBox::StandardButton UserDialogs::ask(const Message& m)
{
    if (g_responder)
        return g_responder->answerMessage(m);
    switch (m.kind) {
    case MessageKind::Information:
        return QMessageBox::information(m.parent, m.title, m.text, m.buttons, m.defaultButton);
    case MessageKind::Warning:
        return QMessageBox::warning(m.parent, m.title, m.text, m.buttons, m.defaultButton);
    case MessageKind::Critical:
        return QMessageBox::critical(m.parent, m.title, m.text, m.buttons, m.defaultButton);
    case MessageKind::Question:
        break;
    }
    return QMessageBox::question(m.parent, m.title, m.text, m.buttons, m.defaultButton);
}

QString UserDialogs::askFile(const FileRequest& r)
{
    if (g_responder)
        return g_responder->answerFile(r);
    if (r.kind == FileKind::Open)
        return QFileDialog::getOpenFileName(r.parent, r.caption, r.directory, r.filter,
                                            r.selectedFilter);
    return QFileDialog::getSaveFileName(r.parent, r.caption, r.directory, r.filter,
                                        r.selectedFilter);
}
