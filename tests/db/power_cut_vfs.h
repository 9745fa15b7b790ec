#pragma once
// A file system that can lose its power. While a PowerCut lives, the engine's
// "unix-excl" files go through a layer of the same name that passes every
// call on and keeps what the disk is sure to hold: each file as of its last
// sync, and each name as of its folder's last sync. At the chosen write, sync,
// truncate or delete the power fails: that call and every later one is refused
// and changes nothing. cutDisk() then leaves the files as such a disk holds
// them after the cut.
#include <QString>
#include <QStringList>

#include <memory>

namespace dbtest
{

class PowerCut
{
public:
    // files: the names to follow from the start (they count as synced);
    // the engine's other files are followed from their first open.
    PowerCut(const QStringList &files, int cutAt);
    ~PowerCut(); // takes the layer away again
    PowerCut(const PowerCut &) = delete;
    PowerCut &operator=(const PowerCut &) = delete;

    bool failed() const; // the power has failed

    // Rewrites every followed file as the disk holds it after the cut; no
    // connection may be open on it. With tearAt in [0, 1), the last write,
    // if not synced, survives in part: from its first 512-byte sector up to
    // all but its last, as tearAt goes. Returns true when a write was torn.
    bool cutDisk(double tearAt);

    struct Model;

private:
    std::unique_ptr<Model> m;
};

} // namespace dbtest
