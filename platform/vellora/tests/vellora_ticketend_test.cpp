// What the controller learns when a client lets go: the end of a running
// subscription or monitor is told to it (NB_cancel in its call log), and a close
// of a scan session that it refuses leaves the session open for another try.
#include "ClientTestSupport.h"

using namespace clienttest;

namespace {

class TicketEndTest : public ClientTest {
protected:
    std::vector<std::string> Ended() {
        std::vector<std::string> tickets;
        for (const auto& call : Sim().Calls("NB_cancel")) tickets.push_back(call.Argument("ticket"));
        return tickets;
    }
};

TEST_F(TicketEndTest, CancellingARunningTicketIsToldOnceWithItsFunction) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket scan{}, alerts{}, monitor{};
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &scan), VELLORA_OK);
    ASSERT_EQ(SCAN_getAlertEvents(h, OnAlert, &alerts), VELLORA_OK);
    ASSERT_EQ(INIT_monitorServer(h, 3, 15, &monitor), VELLORA_OK);
    ASSERT_EQ(NB_cancel(&alerts), VELLORA_OK);
    ASSERT_EQ(NB_cancel(&alerts), VELLORA_OK);  // no longer running: nothing more to tell
    ASSERT_EQ(NB_cancel_block_destroy(&monitor), VELLORA_OK);
    ASSERT_EQ(NB_cancel_block_destroy(&scan), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Sim().CallCount("NB_cancel") >= 3; }));
    EXPECT_EQ(Ended(), (std::vector<std::string>{"SCAN_getAlertEvents", "INIT_monitorServer", "SCAN_getEventsEx"}));
    NB_destroy(&alerts);
}

TEST_F(TicketEndTest, TicketsEndedByTheDisconnectAreNotToldAfterTheGoodbye) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket scan{};
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &scan), VELLORA_OK);
    handles.clear();
    ASSERT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
    EXPECT_TRUE(Ended().empty());
    NB_destroy(&scan);
}

TEST_F(TicketEndTest, AScanSessionWhoseCloseIsRefusedStaysOpen) {
    VelloraServerHandle* h = Open();
    VelloraScanSession session{};
    ASSERT_EQ(SCAN_openSession(h, &session, 0), VELLORA_OK);
    Sim().InjectResult("SCAN_closeSession", VELLORA_GENERAL_FAILURE);
    EXPECT_EQ(SCAN_closeSession(&session, 0), VELLORA_GENERAL_FAILURE);
    ScanJobList* list = nullptr;
    ASSERT_EQ(SCAN_getJobListInMailbox(&session, "", "", &list, 0), VELLORA_OK) << "the session still works";
    SCAN_freeScanJobList(list, 0);
    EXPECT_EQ(SCAN_closeSession(&session, 0), VELLORA_OK);
    EXPECT_EQ(SCAN_getJobListInMailbox(&session, "", "", &list, 0), VELLORA_INVALID_HANDLE);
}

TEST_F(TicketEndTest, AScanSessionOfALostConnectionEndsAtItsClose) {
    VelloraServerHandle* h = Open();
    VelloraScanSession session{};
    ASSERT_EQ(SCAN_openSession(h, &session, 0), VELLORA_OK);
    Sim().DropConnections();
    ASSERT_TRUE(veqtest::WaitFor([&] {
        ScanJobList* list = nullptr;
        return SCAN_getJobListInMailbox(&session, "", "", &list, 0) != VELLORA_OK;
    }));
    EXPECT_EQ(SCAN_closeSession(&session, 0), VELLORA_OK);
}

}  // namespace
