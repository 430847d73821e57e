# The user's XDG folders, for the privacy-folder test of VEQServicesUtil.
target_link_libraries(VEQServices PRIVATE veq_xdg)
