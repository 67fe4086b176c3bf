#pragma once

namespace brindle::ports {

// The messages other windows send the Main window, by their numbers in the user-message range.
enum class WindowMessage : int {
  bank_client_notice = 0x404,  // second argument 0: the bank's client is needed for a remittance
  go_home = 0x501,
  bet_placed = 0x502,  // asks for the account panel to be rebuilt
  rebuild_account_panel = 0x503,
  refresh_account = 0x504,  // to a page: its timed refresh
  private_rooms = 0x505,
  go_to_page = 0x510,
};

}  // namespace brindle::ports
