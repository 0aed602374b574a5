// Deleting the current record after the user confirms (LDELRECORD), and
// moving to the record a browse should show next.
#include "runtime/codepage.h"
#include "tables/dbcmd.h"
#include "tables/dialogs.h"
#include "tables/maintenance.h"
#include "tables/workarea.h"

namespace tables {

namespace {

bool compare(const runtime::Value& a, runtime::CompareOp op, const runtime::Value& b) {
    return runtime::compareValues(a, op, b).value_or(false);
}

struct Scope {
    bool scoped = false;
    std::string field;
    runtime::Value lower, upper;
};

// Deletes the current record and moves to the next visible one; past the
// end (or the scope's upper bound) back one; before the beginning (or the
// lower bound) to the first record or the lower bound.
void deleteAndMove(const Scope& s) {
    DBDELETE();
    DBSKIP(1);
    if (EOF_() ||
        (s.scoped && compare(fieldValue(s.field), runtime::CompareOp::Greater, s.upper))) {
        DBSKIP(-1);
        if (BOF() ||
            (s.scoped && compare(fieldValue(s.field), runtime::CompareOp::Less, s.lower))) {
            if (s.scoped)
                DBSEEK(s.lower);
            else
                DBGOTOP();
        }
    }
}

}  // namespace

bool LDELRECORD(BrowseScope* browse, bool lDelete) {
    Scope scope;
    std::string alias = ALIAS();
    if (browse) {
        scope.field = browse->scopeField();
        scope.lower = browse->lowerBound();
        scope.upper = browse->upperBound();
        scope.scoped = !scope.field.empty() && !scope.lower.isNil();
        alias = browse->alias();
    }
    bool confirmed = dialogUi().run(deleteConfirmDialog(touchMode())) == kDeleteConfirmButton;
    if (confirmed && lDelete) {
        if (alias.empty())
            deleteAndMove(scope);
        else
            inAlias(alias, [&] { deleteAndMove(scope); });
        if (browse) {
            browse->BugUp();
            browse->Refresh();
        }
    }
    return confirmed;
}

}  // namespace tables
