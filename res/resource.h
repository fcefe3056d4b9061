// Resource and command ids used throughout the program.
#pragma once

namespace nuv {

// Templates / menus / icons
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_AITYPE = 129;       // AI window: template, menu
constexpr int IDR_DIOTYPE = 173;      // DIO window
constexpr int IDR_HISTTYPE = 182;     // history window
constexpr int IDR_CONTEXTMENUS = 138; // digit view (popup 0) and waveform view (popup 1) context menus
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_SELDEV = 178;
constexpr int IDD_OPERATEBAR = 143;
constexpr int IDW_OPERATEBAR = 144;
constexpr int IDD_STATUSINFO = 166;
constexpr int IDD_AIPARAM = 160;
constexpr int IDD_AIHISTPARAM = 191;
constexpr int IDD_AICAL = 190;
constexpr int IDD_DIO = 155;
constexpr int IDC_TABBAR_CTRL = 133;      // a sizing tab bar (parameter and statistics bars)
constexpr int IDC_BAR_TABCTRL = 110;      // the tab control inside a sizing tab bar
constexpr int IDW_WINDOW_TABBAR = 141;    // the main window's window-tab bar
constexpr int IDC_WINDOW_TABCTRL = 142;   // its tab control
constexpr int IDW_PANE_FIRST = 59648;     // first pane of a split window

// Device selection dialog
constexpr int IDC_DEVICE_LIST = 1260;

// Commands
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_DIRECT = 57608;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_FILE_MRU_FILE1 = 57616;
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE_HORZ = 57651;
constexpr int ID_WINDOW_TILE_VERT = 57652;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;

constexpr int ID_START_ACQ = 1317;        // "开始采集任务"
constexpr int ID_STOP_ACQ = 1316;         // "停止采集任务"
constexpr int ID_AI_WINDOW = 32812;
constexpr int ID_DIO_WINDOW = 32811;
constexpr int ID_AO_WINDOW = 32874;
constexpr int ID_CTR_WINDOW = 32864;
constexpr int ID_OPEN_DATAFILE = 32851;
constexpr int ID_RETURN_ACQ = 32796;      // "返回AI采集" / "返回到采集"
constexpr int ID_DEVICE_CAL = 32869;
constexpr int ID_TILE_DISPLAY = 32818;
constexpr int ID_OVERLAY_DISPLAY = 32850;
constexpr int ID_MIDDLE_VALUE = 32784;
constexpr int ID_VIEW_OPERATEBAR = 32870;
constexpr int ID_VIEW_PARAMBAR = 32783;
constexpr int ID_VIEW_STATUSBAR = 32810;
constexpr int ID_DEVICE_INFO = 32802;
constexpr int ID_DIGIT_DEC = 32813;
constexpr int ID_DIGIT_HEX = 32814;
constexpr int ID_DIGIT_VOLT = 32815;
constexpr int ID_EXPORT_CSV = 32875;      // "导出CSV..." (history window)
constexpr int ID_SAVE_WAVE_IMAGE = 32876; // "保存波形图片..." (AI and history windows)
constexpr int ID_VIEW_STATSBAR = 32877;   // "数据统计窗口": the statistics bar shown or hidden
constexpr int ID_TIME_AXIS = 32878;       // "横轴显示时间": index axis as elapsed time, time column
constexpr int ID_FIT_SCALES = 32879;      // "自动量程显示": value scales fitted to the readings shown
constexpr int ID_CURSOR_READOUT = 32880;  // "光标读数": read-out of the readings under the cursors
constexpr int ID_TWO_CURSORS = 32881;     // "双光标测量" (history window)
constexpr int ID_WHOLE_FILE_STATS = 32882;   // "统计整个文件" (history window)
constexpr int ID_HIST_INTERVAL = 32883;   // "读数间隔..." (history window): the run's read interval

// Operate bar controls
constexpr int IDC_READ_TIMEOUT = 1322;
constexpr int IDC_XZOOM = 1297;

// Status information bar fields
constexpr int IDC_STATUS_FILENAME = 1109;
constexpr int IDC_STATUS_FREESPACE = 1111;
constexpr int IDC_STATUS_STORED = 1110;
constexpr int IDC_STATUS_COUNT = 1287;

// AI parameter panel (also the history panel's channel boxes and range lists)
constexpr int IDC_CHANNEL_BOX[8] = {1327, 1328, 1329, 1330, 1332, 1333, 1334, 1335};
constexpr int IDC_RANGE_LIST[8] = {1230, 1232, 1233, 1235, 1231, 1236, 1237, 1238};
constexpr int IDC_BREAK_ICON[8] = {1339, 1340, 1341, 1342, 1343, 1344, 1345, 1346};
constexpr int IDC_CJC_TEMP = 1336;
constexpr int IDC_MATCH_RANGE = 1338;
constexpr int IDC_READ_INTERVAL = 1331;
constexpr int IDC_SHOW_WAVE = 1358;
constexpr int IDC_SAVE_FILE = 1347;
constexpr int IDC_FILE_NOTE = 1356;        // live panel only
constexpr int IDC_HIST_CHANNELS = 1355;
constexpr int IDC_HIST_POINTS = 1356;      // history panel only: the same number as IDC_FILE_NOTE

// AI calibration dialog (IDD_AICAL); its numbers repeat some of the AI window's commands
constexpr int IDC_CAL_CHANNEL = 1348;
constexpr int IDC_CAL_RANGE = 1349;
constexpr int IDC_CAL_START = 1316;        // step 1, reset
constexpr int IDC_CAL_ZERO = 1314;         // step 2, offset
constexpr int IDC_CAL_FULL_VALUE = 1317;   // full-scale signal value
constexpr int IDC_CAL_UNIT = 1350;
constexpr int IDC_CAL_FULL = 1315;         // step 3, gain
constexpr int IDC_CAL_STATUS = 1351;
constexpr int IDC_CAL_AMBIENT = 1353;
constexpr int IDC_CAL_READ_TEMP = 1318;
constexpr int IDC_CAL_REF_TEMP = 1354;
constexpr int IDC_CAL_SET_TEMP = 1319;

// CSV export dialog
constexpr int IDD_EXPORTCSV = 213;
constexpr int IDC_EXPORT_WHOLE = 1401;
constexpr int IDC_EXPORT_CURSORS = 1402;
constexpr int IDC_EXPORT_RANGE = 1403;
constexpr int IDC_EXPORT_FROM = 1404;
constexpr int IDC_EXPORT_TO = 1405;
constexpr int IDC_EXPORT_RAW = 1406;
constexpr int IDC_EXPORT_COMMA = 1407;
constexpr int IDC_EXPORT_TAB = 1408;
constexpr int IDC_EXPORT_INTERVAL = 1409;

// DIO panel
constexpr int IDC_DO_BUTTON[8] = {1060, 1061, 1062, 1063, 1064, 1065, 1066, 1067};
constexpr int IDC_DI_LAMP[8] = {1081, 1082, 1083, 1084, 1091, 1092, 1093, 1094};
constexpr int IDC_DI_INVERT[8] = {1070, 1071, 1072, 1073, 1074, 1075, 1076, 1077};
constexpr int IDC_AUTO_READ = 1085;
constexpr int IDC_MANUAL_READ = 1004;
constexpr int IDC_READ_COUNT = 1323;
constexpr int IDC_READ_PAUSE = 1324;
constexpr int IDC_INIT_PARAM = 1294;
constexpr int IDC_GET_PARAM = 1295;

// Bitmaps
constexpr int IDB_BREAK_NA = 207;      // grey
constexpr int IDB_BREAK_BROKEN = 208;  // red
constexpr int IDB_BREAK_OK = 209;      // green
constexpr int IDB_LINE_INVALID = 197;
constexpr int IDB_LINE_HIGH = 198;
constexpr int IDB_LINE_LOW = 199;
constexpr int IDB_WINDOW_TABS = 193;
constexpr int IDB_BAR_TABS = 111;

} // namespace nuv
