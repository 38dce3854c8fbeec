#pragma once
// Everything a window needs to bind its controls to datasets: bound text box and memo, radio
// group, lookup combo box, record navigator and data grid.

#include "db/widgets/boundlink.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbnavigator.h"
#include "db/widgets/dbradiogroup.h"
