#pragma once
// Handing a data folder to the machine's staff group, so that every account of the group can
// work in it and no other account can read the patients' records: the group owns the folder
// and everything in it, folders are 2770 (setgid: new files take the folder's group) and files
// 0660. Changing a file's group needs the superuser.

#include <QString>
#include <sys/types.h>

namespace corvalen::tools {

// The group's id, creating it as a system group when the machine has none of that name.
// Raises an Error when it cannot be created.
gid_t ensureGroup(const QString& name, bool* created);

// Gives dataFolder and everything below it to the group, keeping each file's owner. Symbolic
// links are left as they are and never followed. Raises an Error naming the first file that
// refused.
void giveToGroup(const QString& dataFolder, gid_t group);

} // namespace corvalen::tools
