#include "app/cmdtable.h"
#include "framework/cmdtarget.h"

#include "res/resource.h"

#include <Qt>

namespace nuv {

static_assert(ID_FILE_CLOSE == kIdFileClose, "the toolkit closes documents by the program's close command");

QString CommandText(int id, int menuId)
{
    switch (id) {
    case ID_AI_WINDOW: return QStringLiteral("AI模拟量...");
    case ID_DIO_WINDOW: return QStringLiteral("DIO数字量...");
    case ID_AO_WINDOW: return QStringLiteral("AO模拟量...");
    case ID_CTR_WINDOW: return QStringLiteral("CTR计数器...");
    case ID_FILE_MRU_FILE1: return QStringLiteral("最近文件");
    case ID_APP_EXIT:
        return menuId == IDR_DIOTYPE ? QStringLiteral("退出应用程序(&X)") : QStringLiteral("退出软件(&X)");
    case ID_APP_ABOUT: return QStringLiteral("关于 NUV(&A)...");
    case ID_OPEN_DATAFILE: return QStringLiteral("打开数据文件...");
    case ID_RETURN_ACQ: return QStringLiteral("返回AI采集");
    case ID_FILE_CLOSE:
        if (menuId == IDR_DIOTYPE)
            return QStringLiteral("关闭DIO窗口");
        if (menuId == IDR_HISTTYPE)
            return QStringLiteral("关闭AI数据窗口");
        return QStringLiteral("关闭AI窗口");
    case ID_START_ACQ: return QStringLiteral("开始循环采集任务");
    case ID_STOP_ACQ: return QStringLiteral("停止采集任务");
    case ID_DEVICE_CAL: return QStringLiteral("设备校准...");
    case ID_TILE_DISPLAY: return QStringLiteral("平铺显示");
    case ID_OVERLAY_DISPLAY: return QStringLiteral("叠加显示");
    case ID_MIDDLE_VALUE: return QStringLiteral("平移中间值 F5");
    case ID_VIEW_OPERATEBAR: return QStringLiteral("操作栏");
    case ID_VIEW_PARAMBAR: return QStringLiteral("参数配置条");
    case ID_VIEW_STATUSBAR: return QStringLiteral("状态栏(&S)");
    case ID_WINDOW_CASCADE: return QStringLiteral("层叠窗口(&C)");
    case ID_WINDOW_TILE_HORZ: return QStringLiteral("横向平铺窗口(&H)");
    case ID_WINDOW_TILE_VERT: return QStringLiteral("纵向平铺窗口(&V)");
    case ID_DEVICE_INFO: return QStringLiteral("显示设备信息");
    case ID_FILE_PRINT: return QStringLiteral("打印(&P)...\tCtrl+P");
    case ID_FILE_PRINT_DIRECT: return QStringLiteral("直接打印(当前位置起, 至多 100 页)");
    case ID_FILE_PRINT_PREVIEW: return QStringLiteral("打印预览(&V)\tCtrl+Shift+P");
    case ID_EXPORT_CSV: return QStringLiteral("导出CSV...");
    case ID_SAVE_WAVE_IMAGE: return QStringLiteral("保存波形图片...");
    case ID_VIEW_STATSBAR: return QStringLiteral("数据统计窗口");
    case ID_TIME_AXIS: return QStringLiteral("横轴显示时间");
    case ID_FIT_SCALES: return QStringLiteral("自动量程显示");
    case ID_CURSOR_READOUT: return QStringLiteral("光标读数");
    case ID_TWO_CURSORS: return QStringLiteral("双光标测量");
    case ID_WHOLE_FILE_STATS: return QStringLiteral("统计整个文件");
    case ID_HIST_INTERVAL: return QStringLiteral("读数间隔...");
    default: return {};
    }
}

QList<PopupDef> MenuDef(int menuId)
{
    const int S = ID_SEPARATOR;
    const PopupDef window{QStringLiteral("窗口管理(&W)"), {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_TILE_VERT}};
    switch (menuId) {
    case IDR_MAINFRAME:
        return {{QStringLiteral("文件(&F)"),
                 {ID_AI_WINDOW, ID_AO_WINDOW, ID_CTR_WINDOW, ID_DIO_WINDOW, S, ID_FILE_MRU_FILE1, S, ID_APP_EXIT}},
                {QStringLiteral("帮助(&H)"), {ID_APP_ABOUT}}};
    case IDR_AITYPE:
        return {{QStringLiteral("文件操作(&F)"),
                 {ID_OPEN_DATAFILE, ID_RETURN_ACQ, S, ID_SAVE_WAVE_IMAGE, S, ID_FILE_MRU_FILE1, S, ID_AO_WINDOW,
                  ID_DIO_WINDOW, S, ID_FILE_CLOSE, ID_APP_EXIT}},
                {QStringLiteral("设备操作(&O)"), {ID_START_ACQ, ID_STOP_ACQ, S, ID_DEVICE_CAL}},
                {QStringLiteral("数据处理(&P)"), {ID_TILE_DISPLAY, ID_OVERLAY_DISPLAY, S, ID_MIDDLE_VALUE}},
                {QStringLiteral("视图控制(&V)"),
                 {ID_VIEW_OPERATEBAR, ID_VIEW_PARAMBAR, ID_VIEW_STATUSBAR, ID_VIEW_STATSBAR, S, ID_TIME_AXIS,
                  ID_FIT_SCALES, ID_CURSOR_READOUT}},
                window,
                {QStringLiteral("系统帮助(&H)"), {ID_DEVICE_INFO, S, ID_APP_ABOUT}}};
    case IDR_DIOTYPE:
        return {{QStringLiteral("文件"), {ID_AI_WINDOW, S, ID_FILE_CLOSE, ID_APP_EXIT}}, window};
    case IDR_HISTTYPE:
        return {{QStringLiteral("文件操作(&F)"),
                 {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, S, ID_EXPORT_CSV, ID_SAVE_WAVE_IMAGE, S,
                  ID_FILE_CLOSE, ID_APP_EXIT}},
                {QStringLiteral("数据处理(&P)"),
                 {ID_TILE_DISPLAY, ID_OVERLAY_DISPLAY, S, ID_MIDDLE_VALUE, S, ID_WHOLE_FILE_STATS}},
                {QStringLiteral("视图控制(&V)"),
                 {ID_VIEW_PARAMBAR, ID_VIEW_STATSBAR, S, ID_TIME_AXIS, ID_HIST_INTERVAL, ID_FIT_SCALES,
                  ID_CURSOR_READOUT, ID_TWO_CURSORS}},
                window,
                {QStringLiteral("系统帮助(&H)"), {ID_DEVICE_INFO, S, ID_APP_ABOUT}}};
    default:
        return {};
    }
}

QList<AccelDef> AcceleratorTable()
{
    // Ctrl+N (the new-document chooser) is not offered.
    return {{int(Qt::Key_F10), ID_START_ACQ},
            {int(Qt::Key_F12), ID_STOP_ACQ},
            {int(Qt::Key_F5), ID_MIDDLE_VALUE},
            {int(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
            {int(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
            {int(Qt::CTRL | Qt::SHIFT | Qt::Key_P), ID_FILE_PRINT_PREVIEW},
            {int(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE}};
}

} // namespace nuv
