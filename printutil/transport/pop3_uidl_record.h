#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace torvex {

// The unique ids (UIDL, RFC 1939) of the messages a fetch stored whole in
// the in folder, kept in a file beside it. A message whose id is recorded
// was stored before: a later session only deletes it on the server, so a
// session that ends before QUIT (killed, dropped, stalled) costs no second
// copy. The first line names the mailbox, then one id per line; an id
// counts once its whole line is on disk, so a cut last line counts for
// nothing.
class UidlRecord {
public:
    // mailbox: "user@host"; ids recorded for another mailbox are ignored.
    UidlRecord(QString path, const QString& mailbox);

    // Reads the record from disk.
    void load();
    [[nodiscard]] bool contains(const QByteArray& uid) const { return ids_.contains(uid); }
    // Records the id, synced to disk; false when it could not be.
    bool add(const QByteArray& uid);
    // Forgets every id not in `listed` (the server no longer has those
    // messages) and writes the record anew.
    bool retainOnly(const QSet<QByteArray>& listed);
    // Forgets ids whose messages the server has deleted.
    bool forget(const QSet<QByteArray>& deleted);

    [[nodiscard]] const QString& path() const { return path_; }

private:
    bool rewrite();

    QString path_;
    QByteArray header_;
    QSet<QByteArray> ids_;
    bool onDisk_ = false;  // the file holds our header
};

// The record's file for an in folder ("…/In/" gives "…/In.uidl").
[[nodiscard]] QString uidlRecordPathFor(const QString& inFolder);

}  // namespace torvex
