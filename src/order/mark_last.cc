// Marks the entries below which a folder's vertical line ends.
#include "order/mark_last.h"

// An entry is marked exactly when no sibling after it is a folder: the last subfolder and
// every entry after it, or every entry when there is no subfolder. The marks are the same
// whether files are shown or not. The list is singly linked, so the walk goes forward and
// remembers where the last folder stands. Marks are only ever set.
void MarkLastChildren(TreeItem& folder) {
  TreeItem* first_marked = folder.Children.First;
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) first_marked = child;
  }
  for (TreeItem* child = first_marked; child; child = child->NextSibling) child->IsLast = true;
}
