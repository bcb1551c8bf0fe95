// SToolBar: what the frame's toolbar tells the command it issues. A tool
// button that was double-clicked issues its command with the double-click
// state raised; the command's handler reads it and clears it once done.
// The state is process-wide, as there is one toolbar per frame and one
// user-interface thread.
#pragma once

class SToolBar {
 public:
  // Whether the button that issued the current command was double-clicked.
  static int IsButtonDblClicked();
  // The toolbar raises the state before it issues the command of a
  // double-clicked button.
  static void SetButtonDblClicked(int clicked);
  static void ClearButtonDblClick() { SetButtonDblClicked(0); }
};
