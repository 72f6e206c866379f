a volume left active
