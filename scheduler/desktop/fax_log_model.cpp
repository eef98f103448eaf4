#include "fax_log_model.h"

#include <QLocale>

#include <utility>

namespace torvex {

QString outcomeText(const FaxLogEntry& entry)
{
    if (entry.regularFax)
        return entry.printed ? QStringLiteral("Regular fax printed") : QStringLiteral("Regular fax unprintable");
    return entry.printed ? QStringLiteral("Printed") : QStringLiteral("Unprintable");
}

QString receiptText(ReceiptState state)
{
    switch (state) {
    case ReceiptState::Sent:
        return QStringLiteral("Sent");
    case ReceiptState::Waiting:
        return QStringLiteral("Waiting in Out/");
    case ReceiptState::None:
        break;
    }
    return {};
}

FaxLogModel::FaxLogModel(std::function<Source()> source, QObject* parent)
    : QAbstractTableModel(parent), source_(std::move(source))
{
    reload();
}

void FaxLogModel::reload()
{
    beginResetModel();
    const Source source = source_();
    log_.emplace(source.maildirRoot, source.programFolder);
    shown_ = qMin(kBatch, log_->size());
    endResetModel();
}

int FaxLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

int FaxLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FaxLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_)
        return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != MessageIdRole)
        return {};
    // Reading a row the first time fills its cache; the model stays logically const.
    const FaxLogEntry& entry = const_cast<FaxLog&>(*log_).entry(index.row());
    if (role == MessageIdRole)
        return entry.messageId;
    switch (index.column()) {
    case Received:
        return QLocale().toString(entry.received, QLocale::ShortFormat);
    case From:
        return entry.sender;
    case Subject:
        return entry.subject;
    case Pages:
        return entry.pages >= 0 ? QVariant(entry.pages) : QVariant(QString());
    case Outcome:
        return outcomeText(entry);
    case Receipt:
        return receiptText(entry.receipt);
    default:
        return {};
    }
}

QVariant FaxLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kTitles[ColumnCount] = {"Received", "From", "Subject", "Pages", "Outcome", "Receipt"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section]) : QString();
}

bool FaxLogModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && shown_ < log_->size();
}

void FaxLogModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const int more = qMin(kBatch, log_->size() - shown_);
    beginInsertRows({}, shown_, shown_ + more - 1);
    shown_ += more;
    endInsertRows();
}

}  // namespace torvex
