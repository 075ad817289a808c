#include "app/StartRefusal.h"

#include <cstdio>

namespace {

QString RefusalWayOut(const TDataFolder& folder) {
    const QString dir = folder.path;
    return QStringLiteral("\n\n数据文件夹：%1\n"
                          "处理办法：换用该文件夹 backups 中的备份（tavelo-admin --data-dir %1 "
                          "restore 备份文件），或建立新的演示数据库（tavelo-admin --data-dir %1 "
                          "init --demo），或用 --data-dir 选项或 TAVELO_DATA_DIR 变量指定另一个"
                          "文件夹。")
        .arg(dir);
}

} // namespace

void RefuseStart(TMessage refusal, const TDataFolder& folder) {
    refusal.text += RefusalWayOut(folder);
    std::fprintf(stderr, "tavelo: %s\n", refusal.text.toUtf8().constData());
    ShowMessageBox(refusal);
}
