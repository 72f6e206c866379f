another mod volume
