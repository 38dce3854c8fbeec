#!/bin/sh
# Starts Corvalen from its program folder, which the program takes from the current
# directory: the manual, the default logo and the restore program are found there.
program_folder="$(dirname "$(readlink -f "$0")")/../lib/corvalen"
cd "$program_folder" || exit 1
exec ./corvalen "$@"
