#pragma once
// The control ids of every window, by name, as a resource header gives them.
// Tables, data exchange, command routing and tests name controls only here.
// Ids are unique within one window; windows reuse numbers.

namespace res {

// Every dialog's own buttons, and the id of controls never addressed.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;

// --- the main window --------------------------------------------------------
inline constexpr int IDC_HELP = IDOK;      // 使用帮助 (also Enter)
inline constexpr int IDC_EXIT = IDCANCEL;  // 退出
inline constexpr int IDC_ABOUT = 1000;
inline constexpr int IDC_HIGH = 1002;
inline constexpr int IDC_WIDE = 1003;
inline constexpr int IDC_FRAME_RATE = 1004;
inline constexpr int IDC_CREATE = 1005;
inline constexpr int IDC_WEBSITE = 1006;
inline constexpr int IDC_PREVIEW_SELECTOR = 1007;
inline constexpr int IDC_EDIT_SELECTOR = 1008;
inline constexpr int IDC_PREVIEW_AREA = 1009;
inline constexpr int IDC_EDIT_AREA = 1010;
inline constexpr int IDC_EDITING_STATUS = 1011;
inline constexpr int IDC_APPEND_BLANK = 1012;
inline constexpr int IDC_DELETE_LAST = 1013;
inline constexpr int IDC_NAME = 1019;
inline constexpr int IDC_BACK_COLOR = 1020;
inline constexpr int IDC_CHAR_COLOR = 1021;
inline constexpr int IDC_SAVE_FRAME = 1022;
inline constexpr int IDC_OPEN_SETTINGS_FOLDER = 1023;
inline constexpr int IDC_EDIT_FRAME = 1024;
inline constexpr int IDC_EDIT_GO = 1025;
inline constexpr int IDC_PREVIEW_FRAME = 1026;
inline constexpr int IDC_PREVIEW_GO = 1027;
inline constexpr int IDC_SETTINGS = 1028;
inline constexpr int IDC_SAVE_CODE = 1035;
inline constexpr int IDC_ADD_KEY_FRAME = 1036;
inline constexpr int IDC_COMPILE = 1037;
inline constexpr int IDC_PLAY_FROM_START = 1038;
inline constexpr int IDC_PLAY_FROM_CURRENT = 1039;
inline constexpr int IDC_PAUSE = 1040;
inline constexpr int IDC_PROGRESS = 1041;
inline constexpr int IDC_FRAME_TOTAL = 1042;
inline constexpr int IDC_EXPLAIN_KEY_FRAME = 1043;
inline constexpr int IDC_FILL_SECOND = 1044;
inline constexpr int IDC_FILL_HALF_SECOND = 1045;
inline constexpr int IDC_EXPLAIN_FILL_SECOND = 1046;
inline constexpr int IDC_EXPLAIN_FILL_HALF_SECOND = 1047;
inline constexpr int IDC_SLIDER = 1049;
inline constexpr int IDC_OPEN_FOLDERS = 1053;
inline constexpr int IDC_EXPORT = 1054;
inline constexpr int IDC_SAVE_PROJECT = 1055;
inline constexpr int IDC_LOOP = 1057;
inline constexpr int IDC_OVERWRITE = 1058;
inline constexpr int IDC_EXPLAIN_OVERWRITE = 1059;
inline constexpr int IDC_ADD_DELAY = 1061;
inline constexpr int IDC_EXPLAIN_DELAY = 1062;
inline constexpr int IDC_DELAY = 1063;
inline constexpr int IDC_DURATION = 1064;
inline constexpr int IDC_STATUS = 1065;
inline constexpr int IDC_RELEASE_CODE = 1066;
inline constexpr int IDC_ENDLESS = 1067;
inline constexpr int IDC_OPEN_PROJECT = 1069;
inline constexpr int IDC_APPEND = 1070;
inline constexpr int IDC_EXPLAIN_APPEND = 1071;
inline constexpr int IDC_PROPERTIES = 1072;
inline constexpr int IDC_DELETE_OPTIONS = 1073;
inline constexpr int IDC_PREVIEW_PREV = 1081;
inline constexpr int IDC_PREVIEW_NEXT = 1082;
inline constexpr int IDC_TITLE = 1083;
inline constexpr int IDC_CREATE_GROUP = 1084;
inline constexpr int IDC_EDIT_PREV = 1085;
inline constexpr int IDC_EDIT_NEXT = 1086;
inline constexpr int IDC_HIGH_LABEL = 1087;
inline constexpr int IDC_WIDE_LABEL = 1088;
inline constexpr int IDC_STATUS_GROUP = 1089;
inline constexpr int IDC_PREVIEW_GROUP = 1090;
inline constexpr int IDC_EDIT_GROUP = 1091;
inline constexpr int IDC_BACK_COLOR_LABEL = 1092;
inline constexpr int IDC_CHAR_COLOR_LABEL = 1093;
inline constexpr int IDC_PREVIEW_CHOICE_LABEL = 1094;
inline constexpr int IDC_EDIT_CHOICE_LABEL = 1095;
inline constexpr int IDC_EDIT_FRAME_BEFORE = 1096;
inline constexpr int IDC_EDIT_FRAME_AFTER = 1097;
inline constexpr int IDC_PREVIEW_FRAME_BEFORE = 1098;
inline constexpr int IDC_PREVIEW_FRAME_AFTER = 1099;
inline constexpr int IDC_FRAME_TOTAL_BEFORE = 1100;
inline constexpr int IDC_FRAME_TOTAL_AFTER = 1101;
inline constexpr int IDC_LOGO = 1102;
inline constexpr int IDC_SAVE_GROUP = 1103;
inline constexpr int IDC_DELAY_LABEL = 1104;
inline constexpr int IDC_DELAY_UNIT = 1105;
inline constexpr int IDC_DURATION_LABEL = 1106;
inline constexpr int IDC_DURATION_UNIT = 1107;
inline constexpr int IDC_OPEN_GROUP = 1108;
inline constexpr int IDC_CANVAS_GROUP = 1109;
inline constexpr int IDC_COLOR_GROUP = 1110;
inline constexpr int IDC_FRAME_RATE_GROUP = 1111;
inline constexpr int IDC_NAME_GROUP = 1112;
inline constexpr int IDC_PLAY_GROUP = 1113;
inline constexpr int IDC_RULE = 1114;

// --- deletion options (DelFrame) --------------------------------------------
inline constexpr int IDC_DEL_TAIL_COUNT = 1077;
inline constexpr int IDC_DEL_TAIL = 1074;
inline constexpr int IDC_DEL_RANGE_FIRST = 1078;
inline constexpr int IDC_DEL_RANGE_SECOND = 1079;
inline constexpr int IDC_DEL_RANGE = 1075;
inline constexpr int IDC_DEL_SINGLE_NUMBER = 1080;
inline constexpr int IDC_DEL_SINGLE = 1076;

// --- About box and start-up tips ----------------------------------------------
inline constexpr int IDC_ABOUT_WEBSITE = 1000;
inline constexpr int IDC_TIPS_TEXT = 1003;

// --- preview-mode settings (Mode) -------------------------------------------
inline constexpr int IDC_MODE_PREVIEW_FOLLOWS = 1035;
// The drawing canvas's choices in the same dialog.
inline constexpr int IDC_MODE_ONION = 1501;
inline constexpr int IDC_MODE_ONION_FRAMES_LABEL = 1502;
inline constexpr int IDC_MODE_ONION_FRAMES = 1503;
inline constexpr int IDC_MODE_ONION_AFTER = 1504;

// --- folder shortcuts (Open) ------------------------------------------------
inline constexpr int IDC_OPEN_CODE_FOLDER = 1006;
inline constexpr int IDC_OPEN_ANIMATE_FOLDER = 1005;
inline constexpr int IDC_OPEN_PROJECT_FOLDER = 1012;

// --- shaping the sequence, undo and redo: commands of keys and menus, no control
inline constexpr int IDC_SEQ_INSERT_BLANK = 1401;
inline constexpr int IDC_SEQ_DUPLICATE = 1402;
inline constexpr int IDC_SEQ_MOVE_EARLIER = 1403;
inline constexpr int IDC_SEQ_MOVE_LATER = 1404;
inline constexpr int IDC_SEQ_MOVE_TO = 1405;
inline constexpr int IDC_SEQ_HOLD = 1406;
inline constexpr int IDC_SEQ_HOLD_SECONDS = 1407;
inline constexpr int IDC_SEQ_DELETE = 1408;
inline constexpr int IDC_FRAME_STRIP = 1409;
inline constexpr int IDC_UNDO = 1410;
inline constexpr int IDC_REDO = 1411;

// --- the number a sequence command asks for (SequenceNumber) --------------------
inline constexpr int IDC_SEQ_NUMBER_PROMPT = 1420;
inline constexpr int IDC_SEQ_NUMBER = 1421;

}  // namespace res
