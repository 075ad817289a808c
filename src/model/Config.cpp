#include "model/Config.h"

#include "store/Channels.h"

#include <QHash>
#include <algorithm>
#include <iterator>

namespace {

struct TSetting {
    int sequence;
    int TConfig::*integer;
    bool TConfig::*flag;
};

constexpr TSetting kSettings[] = {
    {1, &TConfig::WordNum, nullptr},           {2, &TConfig::Oblivion, nullptr},
    {3, &TConfig::FirstNum, nullptr},          {4, &TConfig::SecondNum, nullptr},
    {5, &TConfig::UpperLimit, nullptr},        {6, &TConfig::BaseTime, nullptr},
    {7, &TConfig::ReciteTime, nullptr},        {8, &TConfig::TranslateTime, nullptr},
    {9, nullptr, &TConfig::ShowPicture},       {10, &TConfig::Reserved10, nullptr},
    {11, &TConfig::Pronounce, nullptr},        {12, &TConfig::Reserved12, nullptr},
    {13, &TConfig::ThirdNum, nullptr},         {14, &TConfig::FourthNum, nullptr},
    {15, &TConfig::SubNum, nullptr},           {16, &TConfig::UseDesktop, nullptr},
    {17, &TConfig::DesktopColor, nullptr},     {20, &TConfig::FontColor, nullptr},
    {24, &TConfig::ReciteOrder, nullptr},      {25, &TConfig::FontSize, nullptr},
    {27, &TConfig::TransFontSize, nullptr},    {32, nullptr, &TConfig::RestrictTime},
    {33, &TConfig::StartDay, nullptr},         {34, &TConfig::EndDay, nullptr},
    {35, nullptr, &TConfig::RoundCompare},     {36, &TConfig::RoundNumber, nullptr},
    {37, &TConfig::FloorAbility, nullptr},     {38, &TConfig::CeilingAbility, nullptr},
    {71, &TConfig::PrintTranslation, nullptr}, {72, &TConfig::PrintDate, nullptr},
    {73, &TConfig::PrintPageNumber, nullptr},  {74, &TConfig::PaperType, nullptr},
    {75, &TConfig::ColumnCount, nullptr},
};

static_assert(std::size(kSettings) == TConfig::kCount);

const TSetting* Find(int sequence) {
    for (const TSetting& s : kSettings) {
        if (s.sequence == sequence) {
            return &s;
        }
    }
    return nullptr;
}

} // namespace

const std::array<int, TConfig::kCount> TConfig::kSequences = [] {
    std::array<int, TConfig::kCount> sequences{};
    for (size_t i = 0; i < sequences.size(); ++i) {
        sequences[i] = kSettings[i].sequence;
    }
    return sequences;
}();

double TConfig::DaysPerLostPoint() const {
    // Computed in extended precision and rounded once: 0.042 exactly, not 1/24.
    return static_cast<double>(static_cast<long double>(std::max(Oblivion, 1)) * 0.042L);
}

bool TConfig::Get(int sequence, int* value) const {
    const TSetting* s = Find(sequence);
    if (s == nullptr) {
        return false;
    }
    *value = s->integer != nullptr ? this->*(s->integer) : (this->*(s->flag) ? 1 : 0);
    return true;
}

bool TConfig::Set(int sequence, int value) {
    const TSetting* s = Find(sequence);
    if (s == nullptr) {
        return false;
    }
    if (s->integer != nullptr) {
        this->*(s->integer) = value;
    } else {
        this->*(s->flag) = value == 1;
    }
    return true;
}

void TConfig::Load(int userID) {
    UserID = userID;
    TAdoQuery* q = Channel->OpenQuery(
        SqlFormat("select NUMBEREX, SEQUENCE from CONFIG where UserID=%d order by SEQUENCE",
                  {userID}),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        Set(q->AsInteger(QStringLiteral("SEQUENCE")), q->AsInteger(QStringLiteral("NUMBEREX")));
    }
}

bool TConfig::Save(int userID) {
    // The CHOICE texts always come from the default user; read before the delete, so
    // saving under id 1 keeps them.
    QHash<int, QString> choices;
    TAdoQuery* q = Channel->OpenQuery(
        SqlFormat("select CHOICE, SEQUENCE from CONFIG where USERID=%d order by SEQUENCE",
                  {DefaultUserID}),
        1);
    if (q == nullptr) {
        return false; // without the CHOICE texts the rows written would lose them
    }
    for (; !q->Eof(); q->Next()) {
        const int sequence = q->AsInteger(QStringLiteral("SEQUENCE"));
        if (!choices.contains(sequence)) {
            choices.insert(sequence, q->AsString(QStringLiteral("CHOICE")));
        }
    }
    QStringList sqls;
    sqls << SqlFormat("delete from CONFIG where USERID=%d ", {userID});
    for (int sequence : kSequences) {
        int value = 0;
        Get(sequence, &value);
        sqls << SqlFormat("insert into CONFIG(NUMBEREX, USERID, SEQUENCE, CHOICE)  "
                          "Values(%d,%d,%d,'%s')",
                          {value, userID, sequence, QuoteSqlText(choices.value(sequence))});
    }
    return Channel->ExecuteListInTransaction(sqls);
}
