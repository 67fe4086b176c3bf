#pragma once

namespace brindle::ports {

//! A hall page's list and labels, told when the hall's model changes under them. The model calls
//! the pair around the very moment it replaces its lines, with nothing modal in between.
class HallViewPort {
 public:
  virtual ~HallViewPort() = default;
  virtual void lines_about_to_change() = 0;
  //! The lines, groups, their expansion and the empty-list text are new.
  virtual void lines_changed() = 0;
  //! The location line or the context menu changed (room switch).
  virtual void room_changed() = 0;
};

}  // namespace brindle::ports
