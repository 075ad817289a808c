#pragma once

#include <QString>
#include <array>

class TAdoChannel;

// The 33 numeric settings of one learner, stored as CONFIG rows keyed by user id and
// SEQUENCE. There are no defaults in the program: they are the rows of user 1.
class TConfig {
public:
    explicit TConfig(TAdoChannel* channel) : Channel(channel) {}

    void Load(int userID);
    // False when nothing was stored (the file is held by another program, or refused).
    bool Save(int userID);

    // The number of settings and their SEQUENCE numbers in saving order.
    static constexpr int kCount = 33;
    static const std::array<int, kCount> kSequences;

    // The value stored for a SEQUENCE (flags as 1 or 0); false when it is not a setting.
    bool Get(int sequence, int* value) const;
    // Sets the field of a SEQUENCE (flags: true exactly for 1); false when it is not one.
    bool Set(int sequence, int value);

    // The forgetting rate: one ability point is lost per Oblivion x 0.042 days. A rate below
    // 1 exists only in a hand-edited database; it counts as 1, so nothing divides by zero.
    double DaysPerLostPoint() const;

    TAdoChannel* Channel;
    int UseDesktop = 0;
    int ThirdNum = 0;
    int Reserved12 = 0;
    int FourthNum = 0;
    int UserID = 0;
    int ReciteTime = 0;
    int SubNum = 0;
    bool ShowPicture = false;
    int TranslateTime = 0;
    int FontColor = 0;
    int TransFontSize = 0;
    int WordNum = 0;
    int SecondNum = 0;
    int UpperLimit = 0;
    int Reserved10 = 0;
    int BaseTime = 0;
    int Pronounce = 0;
    int FirstNum = 0;
    int DesktopColor = 0;
    int Oblivion = 0;
    int FontSize = 0;
    int ReciteOrder = 0;
    int PrintPageNumber = 0;
    int ColumnCount = 0;
    int PaperType = 0;
    int PrintDate = 0;
    int PrintTranslation = 0;
    bool RestrictTime = false;
    bool RoundCompare = false;
    int FloorAbility = 0;
    int RoundNumber = 0;
    int CeilingAbility = 0;
    int EndDay = 0;
    int StartDay = 0;
};
