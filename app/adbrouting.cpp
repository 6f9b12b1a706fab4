#include "app/adbrouting.h"

#include "detection/versionfile.h"

void AdbRouting::beginPass()
{
    ++pass;
}

bool AdbRouting::takeRequest(const ASSET_INFORMATION *record)
{
    if (outstanding.contains(record))
        return false;
    if (!record->ADB_Device) {
        const auto lastAsked = fellBack.find(record);
        if (lastAsked == fellBack.end() || pass - lastAsked.value() < fallBackRetryPasses)
            return false;
        lastAsked.value() = pass;
    }
    outstanding.insert(record);
    return true;
}

AdbRouting::AnswerUse AdbRouting::takeAnswer(ASSET_INFORMATION *record, const AdbReading &reading)
{
    outstanding.remove(record);
    // A camera of another brand's entry of this model is not this record's camera.
    if (reading.isUsable() && brandMatches(record->Brand, reading.brand)) {
        if (!record->ADB_Device && !fellBack.remove(record))
            return AnswerUse::Ignore; // never an adb camera: nothing asked about it
        record->ADB_Device = true;
        return AnswerUse::Attach;
    }
    if (!record->ADB_Device)
        return AnswerUse::Ignore;
    record->ADB_Device = false;
    fellBack.insert(record, pass);
    return AnswerUse::FallBack;
}
