// replaced by the simulated modules
