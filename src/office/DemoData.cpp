#include "office/DemoData.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/Convert.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <array>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

struct DemoPerson
{
    const char *name;
    const char *mailbox; // left part of the mail address
    int department;      // index into departments
};

const std::array<const char *, 6> departments{"行政部", "财务部", "研发部",
                                              "市场部", "客服部", "人力资源部"};
const std::array<const char *, 6> departmentCodes{"ADM", "FIN", "RD", "MKT", "CS", "HR"};

const std::array<DemoPerson, 40> people{{
    {"张伟", "zhang.wei", 0},
    {"王芳", "wang.fang", 1},
    {"李娜", "li.na", 0},
    {"刘洋", "liu.yang", 2},
    {"陈静", "chen.jing", 3},
    {"杨磊", "yang.lei", 2},
    {"赵敏", "zhao.min", 5},
    {"黄勇", "huang.yong", 4},
    {"周杰", "zhou.jie", 2},
    {"吴婷", "wu.ting", 1},
    {"徐明", "xu.ming", 3},
    {"孙丽", "sun.li", 4},
    {"马超", "ma.chao", 2},
    {"朱琳", "zhu.lin", 5},
    {"胡斌", "hu.bin", 2},
    {"郭晓燕", "guo.xiaoyan", 3},
    {"何建国", "he.jianguo", 0},
    {"高雪", "gao.xue", 1},
    {"林志强", "lin.zhiqiang", 2},
    {"罗欢", "luo.huan", 4},
    {"梁晨", "liang.chen", 3},
    {"宋佳", "song.jia", 5},
    {"郑浩", "zheng.hao", 2},
    {"谢雨萱", "xie.yuxuan", 4},
    {"Alice Johnson", "alice.johnson", 3},
    {"Brian Smith", "brian.smith", 2},
    {"Catherine Lee", "catherine.lee", 1},
    {"David Brown", "david.brown", 2},
    {"Emily Davis", "emily.davis", 4},
    {"Frank Miller", "frank.miller", 0},
    {"Grace Wilson", "grace.wilson", 5},
    {"Henry Taylor", "henry.taylor", 2},
    {"Isabel Martin", "isabel.martin", 3},
    {"James Anderson", "james.anderson", 4},
    {"Karen Thomas", "karen.thomas", 1},
    {"Liam O'Connor", "liam.oconnor", 2},
    {"Megan White", "megan.white", 3},
    {"Nathan Harris", "nathan.harris", 4},
    {"Olivia Clark", "olivia.clark", 5},
    {"Peter Walker", "peter.walker", 2},
}};

const std::array<const char *, 8> streets{
    "北京市海淀区中关村大街%1号", "北京市朝阳区建国路%1号",   "上海市浦东新区世纪大道%1号",
    "深圳市南山区科技园南路%1号", "广州市天河区体育西路%1号", "杭州市西湖区文三路%1号",
    "%1 Harbour Road, Wan Chai",  "%1 Nathan Road, Kowloon"};

const std::array<const char *, 7> memos{
    "", "新入职，试用期三个月", "Part-time, Tuesdays and Thursdays",
    "", "负责华东区客户",       "On leave until next month",
    ""};

struct DemoNotice
{
    const char *publisher;
    const char *content;
};

const std::array<DemoNotice, 30> notices{{
    {"admin", "本周五下午三点在三楼会议室召开全体员工大会，请准时参加。"},
    {"李娜", "The office will be closed on Monday for the public holiday."},
    {"admin", "服务器将于周六晚上十点至十二点进行维护，期间邮件系统暂停使用。"},
    {"Tom O'Neil", "Quarterly sales figures are now on the shared drive. Great work, everyone!"},
    {"李娜", "请各部门于本月二十五日前提交下月考勤表。"},
    {"admin", "New Wi-Fi password for guests is posted at the front desk."},
    {"Tom O'Neil", "市场部下周二举办新产品培训，欢迎其他部门同事旁听。"},
    {"李娜", "Reminder: expense claims must include the original receipts."},
    {"admin", "办公室饮水机已更换滤芯，请放心使用。"},
    {"Tom O'Neil", "Customer visit on Thursday: please keep meeting room B free from 2 pm."},
    {"李娜", "新员工欢迎午餐定于周三中午，地点：公司餐厅。"},
    {"admin", "Please lock your computer when you leave your desk."},
    {"李娜", "年度体检安排已发到各位邮箱，请按时间段前往。"},
    {"Tom O'Neil", "The parking lot will be repainted this weekend; use the street entrance."},
    {"admin", "打印机（二楼东侧）已修复，可以正常使用。"},
    {"李娜", "Team-building trip sign-up closes this Friday."},
    {"Tom O'Neil", "感谢大家在展会期间的辛苦付出，收到客户意向订单十二份。"},
    {"admin", "System upgrade finished. Report any problems to the IT desk on ext. 8205."},
    {"李娜", "五一假期安排：五月一日至五日放假，五月六日正常上班。"},
    {"admin", "消防演习将于下周一上午十点举行，听到警报后请从最近的楼梯撤离。"},
    {"Tom O'Neil", "New price list takes effect on the first of next month."},
    {"李娜", "请还未提交个人信息更新表的同事尽快提交。"},
    {"admin", "Backup of the shared drive runs every night at 1 am."},
    {"Tom O'Neil", "客服部电话将于本周四下午临时转接到市场部。"},
    {"李娜", "Birthday cake for this month's birthdays in the pantry at 4 pm!"},
    {"admin", "会议室预订请使用新的登记表，旧表格已停用。"},
    {"Tom O'Neil", "Please welcome our new account manager, Alice Johnson."},
    {"李娜", "本月团建活动改为周六上午，地点另行通知。"},
    {"admin", "Staff directory updated: check your extension and mobile number."},
    {"admin", "下班前请关闭空调和照明，节约用电。"},
}};

void fillDemo(QSqlDatabase &db)
{
    if (!db.transaction())
        throw ArdentaError(db.lastError().text());
    QSqlQuery query(db);
    const auto run = [&query] {
        if (!query.exec())
            throw ArdentaError(query.lastError().text());
    };

    QStringList marks(ClerkFieldCount, QStringLiteral("?"));
    query.prepare(QStringLiteral("Insert Into Clerk(") + ClerkFieldList() +
                  QStringLiteral(") Values(") + marks.join(QLatin1Char(',')) + QLatin1Char(')'));
    const auto orNull = [](const QString &text) { return text.isEmpty() ? QVariant() : text; };
    for (int i = 0; i < int(people.size()); ++i) {
        const DemoPerson &person = people[size_t(i)];
        const QString mailbox = QString::fromUtf8(person.mailbox);
        query.addBindValue(QStringLiteral("E%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        query.addBindValue(QString::number(8000 + person.department * 100 + i));
        query.addBindValue(QString::fromUtf8(person.name));
        query.addBindValue(QString::fromUtf8(departments[size_t(person.department)]));
        query.addBindValue(QString::fromUtf8(streets[size_t(i) % streets.size()]).arg(3 + i * 7));
        query.addBindValue(QStringLiteral("010-6255%1").arg(1000 + i * 37));
        query.addBindValue(QStringLiteral("139%1").arg(10000000 + i * 7919973 % 89999999));
        query.addBindValue(QString(mailbox + QStringLiteral("@example.com")));
        query.addBindValue(QStringLiteral("127.0.0.%1").arg(20 + i)); // loopback only
        query.addBindValue(orNull(i % 3 == 2 ? QString() : QString::number(100000 + i * 271828)));
        query.addBindValue(
            orNull(i % 4 == 1 ? QString() : QString(mailbox + QStringLiteral("@msn.example.com"))));
        query.addBindValue(
            orNull(i % 2 == 0 ? QString() : QString(QStringLiteral("live:") + mailbox)));
        query.addBindValue(QStringLiteral("PC-%1-%2")
                               .arg(QString::fromUtf8(departmentCodes[size_t(person.department)]))
                               .arg(i + 1, 2, 10, QLatin1Char('0')));
        query.addBindValue(orNull(QString::fromUtf8(memos[size_t(i) % memos.size()])));
        run();
    }

    // Spread over the last two months, in office hours, oldest first.
    const QDateTime now = Now();
    query.prepare(QStringLiteral("Insert Into Notice(Notice_DateTime,Notice_Publisher,"
                                 "Notice_Content) Values(?,?,?)"));
    for (int i = 0; i < int(notices.size()); ++i) {
        const QDate day = now.date().addDays(-59 + i * 2);
        const QTime time = QTime(8, 30).addSecs((i * 47 % 540) * 60 + i * 13);
        query.addBindValue(GeneralDateText(QDateTime(day, time)));
        query.addBindValue(QString::fromUtf8(notices[size_t(i)].publisher));
        query.addBindValue(QString::fromUtf8(notices[size_t(i)].content));
        run();
    }

    query.prepare(QStringLiteral("Insert Into OnLine(UserIP,UserName,LoginTime) Values(?,?,?)"));
    for (int host = 2; host <= 9; ++host) {
        query.addBindValue(QStringLiteral("127.0.0.%1").arg(host));
        query.addBindValue(QString::fromUtf8(people[size_t(host * 4)].name));
        query.addBindValue(GeneralDateText(now.addSecs(-host * 600)));
        run();
    }
    query.finish();
    if (!db.commit())
        throw ArdentaError(db.lastError().text());
}

} // namespace

QString DefaultDemoDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("QLX_Ardenta/demo.sqlite"));
}

bool CreateDemoDatabase(const QString &sqlitePath, QString *message)
{
    const auto say = [message](const QString &text) {
        if (message)
            *message = text;
    };
    if (QFileInfo::exists(sqlitePath)) {
        // Made by an earlier version, it may lack what this one expects.
        QString upgraded;
        const bool ok = InitDatabase(QStringLiteral("sqlite:") + sqlitePath, &upgraded);
        say(QStringLiteral("The demo database %1 exists already. %2").arg(sqlitePath, upgraded));
        return ok;
    }
    if (!QDir().mkpath(QFileInfo(sqlitePath).absolutePath())) {
        say(QStringLiteral("Cannot create the folder of %1.").arg(sqlitePath));
        return false;
    }
    // Built under another name first, so a failed run leaves no half-filled demo behind.
    const QString partial = sqlitePath + QStringLiteral(".part");
    QFile::remove(partial);
    QString schemaMessage;
    if (!InitDatabase(QStringLiteral("sqlite:") + partial, &schemaMessage)) {
        QFile::remove(partial);
        say(schemaMessage);
        return false;
    }
    try {
        WithConnection(QStringLiteral("sqlite:") + partial, fillDemo);
    } catch (const std::exception &e) {
        QFile::remove(partial);
        say(QStringLiteral("The demo data could not be written: ") + ErrorText(e));
        return false;
    }
    if (!QFile::rename(partial, sqlitePath)) {
        QFile::remove(partial);
        say(QStringLiteral("Cannot move the demo database to %1.").arg(sqlitePath));
        return false;
    }
    say(QStringLiteral("Created the demo database %1 with %2 staff, %3 notices and 8 online "
                       "users.")
            .arg(sqlitePath)
            .arg(people.size())
            .arg(notices.size()));
    return true;
}
