#pragma once

#include <QCoreApplication>
#include <QIODevice>
#include <QString>

// Copies the records of dumps and profile sets byte for byte, never decoding and writing a
// record anew: what `ls7x-rec split` and `cat` are made of.
class RecordCopy
{
    Q_DECLARE_TR_FUNCTIONS(RecordCopy)

public:
    // Copies up to `limit` records (-1: all) from input's position to output. Answers the
    // number copied, or -1 with `error` set (a fault of the input, a record of another kind,
    // a failed write); what was written of a faulty record stays in output.
    static qint64 copy(QIODevice& input, QIODevice& output, qint64 limit, QString* error);
};
