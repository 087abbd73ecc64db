// placeholder until the settings land
