#pragma once

// The sequence of an ID/password change, as the Password page and the command line run it: the
// change request, then kAnswerWaitMs for the device's answer; without one, the new ID and password
// are confirmed at once and then every kVerifyPeriodMs, kMaxVerifications times in all, until a
// confirmation is answered; after the last one has had its period, the change has failed.
class CChangeVerification final
{
public:
    static constexpr int kAnswerWaitMs = 3000;
    static constexpr int kVerifyPeriodMs = 1000;
    static constexpr int kMaxVerifications = 10;

    // A change request went out: no verification yet.
    void Start() { m_nAttempts = 0; }
    // A verification is due (the answer wait or a verification period is over): true when one more
    // is to be sent, and counts it; false when all have been sent and none was answered.
    bool Next()
    {
        if (m_nAttempts >= kMaxVerifications) {
            return false;
        }
        ++m_nAttempts;
        return true;
    }
    int Attempts() const { return m_nAttempts; }

private:
    int m_nAttempts = 0;
};
