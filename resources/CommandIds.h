#pragma once

/// Command ids of the menus, toolbars and accelerators. The numbers are fixed: the view and
/// the frame route by them, and the two ranges at the end are filled at run time.
namespace cmd {

// File
inline constexpr int kNew = 57600;
inline constexpr int kOpenSession = 57601;
inline constexpr int kSaveSession = 57603;
inline constexpr int kSaveSessionAs = 32857;
inline constexpr int kLoadWave = 32780;
inline constexpr int kCloseWave = 57602;
inline constexpr int kRenderToFile = 32781;
inline constexpr int kExit = 57665;

// Edit
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kDelete = 32775;
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kSelectAll = 57642;
inline constexpr int kSnapToZeroCrossings = 32881;

// Process: level changes on the selection
inline constexpr int kGain = 32890;
inline constexpr int kNormalize = 32891;
inline constexpr int kFadeIn = 32892;
inline constexpr int kFadeOut = 32893;
inline constexpr int kSilence = 32894;

// VST Plugins
inline constexpr int kApplyToSelection = 32895;
inline constexpr int kEditPlugin = 32783;
inline constexpr int kRemovePlugin = 32794;
inline constexpr int kChoosePlugin = 32800;
inline constexpr int kRescanPlugins = 32801;

// View
inline constexpr int kToggleEditBar = 59392;
inline constexpr int kToggleNavigationBar = 32784;
inline constexpr int kToggleZoomBar = 32793;
inline constexpr int kToggleStatusBar = 59393;
inline constexpr int kToggleEffectsPane = 32856;
inline constexpr int kToggleLevelsPane = 32882;
inline constexpr int kShowWorkspace = 32777;
inline constexpr int kNoFilesLoaded = 32782;

// Analyze
inline constexpr int kAnalyzeLoudness = 32880;

// Help
inline constexpr int kAbout = 57664;
inline constexpr int kKeyboardHelp = 32858;

// Transport (navigation toolbar)
inline constexpr int kPlay = 32772;
inline constexpr int kStop = 32773;
inline constexpr int kPause = 32779;

// Zoom (zoom toolbar)
inline constexpr int kZoomIn = 32788;
inline constexpr int kZoomOut = 32791;
inline constexpr int kZoomOutFull = 32792;

// Keys of the view and the transport that no menu item carries
inline constexpr int kZoomInAtInsertion = 32853;   // +
inline constexpr int kZoomOutAtInsertion = 32854;  // -
inline constexpr int kPlayOrStop = 32855;          // Space
inline constexpr int kClearSelection = 32859;      // Escape

// Moving the insertion point; the extending forms (the same keys with Shift) move the
// selection's free end and keep its anchor. The two runs are in the same order.
inline constexpr int kMoveBack = 32860;              // Left: a tenth of the shown range
inline constexpr int kMoveForward = 32861;           // Right
inline constexpr int kMoveToPreviousSplice = 32862;  // Ctrl+Left: the previous piece boundary
inline constexpr int kMoveToNextSplice = 32863;      // Ctrl+Right
inline constexpr int kGoToStart = 32864;             // Home
inline constexpr int kGoToEnd = 32865;               // End
inline constexpr int kExtendBack = 32866;
inline constexpr int kExtendForward = 32867;
inline constexpr int kExtendToPreviousSplice = 32868;
inline constexpr int kExtendToNextSplice = 32869;
inline constexpr int kExtendToStart = 32870;
inline constexpr int kExtendToEnd = 32871;
inline constexpr int kFirstMove = kMoveBack;
inline constexpr int kLastMove = kExtendToEnd;

// Items appended at run time: opened file i is kFirstWaveFile + i, catalogue entry i is
// kFirstPlugin + i (room for 4000 plug-ins, in the vendor submenus), recent file i is
// kFirstRecent + i.
inline constexpr int kFirstPlugin = 20000;
inline constexpr int kLastPlugin = 23999;
inline constexpr int kFirstWaveFile = 10256;
inline constexpr int kLastWaveFile = 10511;
inline constexpr int kFirstRecent = 10600;
inline constexpr int kLastRecent = 10609;
inline constexpr int kNoRecentFiles = 32872;

}  // namespace cmd
