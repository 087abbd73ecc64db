// placeholder until the stamps land
